// A registry that hands every call on to another one and counts them, for
// checks that a piece of the program reaches the registry a given number of
// times (or not at all) on the real one; and that fails the calls a test
// names, for the failure paths of code that works on the real registry.
#pragma once

#include "platform/registry.h"

namespace tarvane::test {

class CountingRegistry : public RegistryApi {
public:
    explicit CountingRegistry(RegistryApi& inner) : inner_(inner) {}

    std::size_t Calls() const { return calls_; }

    // Faults: writes of the value with this name fail with `failValueWith`,
    // and deletions of a subkey with this name with ERROR_ACCESS_DENIED.
    std::wstring failValue;
    LONG failValueWith = static_cast<LONG>(ERROR_ACCESS_DENIED);
    std::wstring failDelete;

    LONG OpenKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) override {
        return Count(inner_.OpenKey(parent, subKey, access, result));
    }
    LONG CreateKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result,
                   DWORD* disposition) override {
        return Count(inner_.CreateKey(parent, subKey, access, result, disposition));
    }
    LONG CloseKey(RegHandle key) override { return Count(inner_.CloseKey(key)); }
    LONG EnumKey(RegHandle key, DWORD index, DWORD capacity, std::wstring* name) override {
        return Count(inner_.EnumKey(key, index, capacity, name));
    }
    LONG EnumValue(RegHandle key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type,
                   BYTE* data, DWORD* dataSize) override {
        return Count(inner_.EnumValue(key, index, nameCapacity, name, type, data, dataSize));
    }
    LONG QueryInfoKey(RegHandle key, RegKeyInfo* info) override {
        return Count(inner_.QueryInfoKey(key, info));
    }
    LONG QueryValue(RegHandle key, std::wstring_view name, DWORD* type, BYTE* data,
                    DWORD* dataSize) override {
        return Count(inner_.QueryValue(key, name, type, data, dataSize));
    }
    LONG SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override {
        if (!failValue.empty() && name == failValue) {
            return Count(failValueWith);
        }
        return Count(inner_.SetValue(key, name, type, data, size));
    }
    LONG DeleteValue(RegHandle key, std::wstring_view name) override {
        return Count(inner_.DeleteValue(key, name));
    }
    LONG DeleteKey(RegHandle parent, std::wstring_view subKey) override {
        return Count(FailedDelete(subKey) ? static_cast<LONG>(ERROR_ACCESS_DENIED)
                                          : inner_.DeleteKey(parent, subKey));
    }
    bool HasDeleteKeyEx() const override { return inner_.HasDeleteKeyEx(); }
    LONG DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM view) override {
        return Count(FailedDelete(subKey) ? static_cast<LONG>(ERROR_ACCESS_DENIED)
                                          : inner_.DeleteKeyEx(parent, subKey, view));
    }

private:
    bool FailedDelete(std::wstring_view subKey) const { return !failDelete.empty() && subKey == failDelete; }
    LONG Count(LONG result) {
        ++calls_;
        return result;
    }

    RegistryApi& inner_;
    std::size_t calls_ = 0;
};

} // namespace tarvane::test
