#include "platform/system_registry.h"

#include "platform/late_bound_functions.h"

#include <string>

namespace tarvane {
namespace {

HKEY ToHkey(RegHandle handle) {
    return reinterpret_cast<HKEY>(handle);
}
RegHandle FromHkey(HKEY key) {
    return reinterpret_cast<RegHandle>(key);
}

class Win32Registry : public RegistryApi {
public:
    LONG OpenKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) override {
        return Open(parent, subKey, 0, access, result);
    }

    LONG OpenKeyNoLink(RegHandle parent, std::wstring_view subKey, REGSAM access,
                       RegHandle* result) override {
        return Open(parent, subKey, REG_OPTION_OPEN_LINK, access, result);
    }

    LONG CreateKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result,
                   DWORD* disposition) override {
        if (HoldsNul(subKey)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring path(subKey);
        HKEY key = nullptr;
        const LONG status = ::RegCreateKeyExW(ToHkey(parent), path.c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition);
        if (status == ERROR_SUCCESS) {
            *result = FromHkey(key);
        }
        return status;
    }

    LONG CloseKey(RegHandle key) override { return ::RegCloseKey(ToHkey(key)); }

    LONG EnumKey(RegHandle key, DWORD index, DWORD capacity, std::wstring* name) override {
        std::wstring buffer(capacity, L'\0');
        DWORD length = capacity;
        const LONG status =
            ::RegEnumKeyExW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            buffer.resize(length < capacity ? length : capacity);
            *name = std::move(buffer);
        }
        return status;
    }

    LONG EnumValue(RegHandle key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type,
                   BYTE* data, DWORD* dataSize) override {
        std::wstring buffer(nameCapacity, L'\0');
        DWORD length = nameCapacity;
        const LONG status =
            ::RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, type, data, dataSize);
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
            buffer.resize(length < nameCapacity ? length : nameCapacity);
            *name = std::move(buffer);
        }
        return status;
    }

    LONG QueryInfoKey(RegHandle key, RegKeyInfo* info) override {
        RegKeyInfo result;
        const LONG status = ::RegQueryInfoKeyW(
            ToHkey(key), nullptr, nullptr, nullptr, &result.subKeys, &result.maxSubKeyLength, nullptr,
            &result.values, &result.maxValueNameLength, &result.maxValueDataLength, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            *info = result;
        }
        return status;
    }

    LONG QueryValue(RegHandle key, std::wstring_view name, DWORD* type, BYTE* data,
                    DWORD* dataSize) override {
        if (HoldsNul(name)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring valueName(name);
        return ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, type, data, dataSize);
    }

    LONG SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override {
        if (HoldsNul(name)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring valueName(name);
        return ::RegSetValueExW(ToHkey(key), valueName.c_str(), 0, type, data, size);
    }

    LONG DeleteValue(RegHandle key, std::wstring_view name) override {
        if (HoldsNul(name)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring valueName(name);
        return ::RegDeleteValueW(ToHkey(key), valueName.c_str());
    }

    LONG DeleteKey(RegHandle parent, std::wstring_view subKey) override {
        if (HoldsNul(subKey)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring path(subKey);
        return ::RegDeleteKeyW(ToHkey(parent), path.c_str());
    }

    bool HasDeleteKeyEx() const override { return TheLateBoundFunctions().regDeleteKeyExW != nullptr; }

    LONG DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM view) override {
        const auto deleteKeyEx = TheLateBoundFunctions().regDeleteKeyExW;
        if (deleteKeyEx == nullptr) {
            return ERROR_NOT_SUPPORTED;
        }
        if (HoldsNul(subKey)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring path(subKey);
        return deleteKeyEx(ToHkey(parent), path.c_str(), view, 0);
    }

private:
    static LONG Open(RegHandle parent, std::wstring_view subKey, DWORD options, REGSAM access,
                     RegHandle* result) {
        if (HoldsNul(subKey)) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::wstring path(subKey);
        HKEY key = nullptr;
        const LONG status = ::RegOpenKeyExW(ToHkey(parent), path.c_str(), options, access, &key);
        if (status == ERROR_SUCCESS) {
            *result = FromHkey(key);
        }
        return status;
    }
};

} // namespace

RegistryApi& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

} // namespace tarvane
