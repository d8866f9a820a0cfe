// A registry held in memory, with the error codes of the real one and faults
// that tests inject per operation, key and value.
#pragma once

#include "platform/registry.h"

#include <map>
#include <memory>
#include <optional>

namespace tarvane {

enum class RegOp {
    Open,
    Create,
    EnumKey,
    EnumValue,
    QueryInfo,
    QueryValue,
    SetValue,
    DeleteValue,
    DeleteKey
};

// One injected fault. It matches an operation on the key whose full path
// (root name, backslash, path: "HKEY_LOCAL_MACHINE\SOFTWARE\...") equals
// `keyPath` without regard to case; for Open, Create and DeleteKey that is the
// key being opened, created or deleted. A `valueName`, when given, narrows a
// value operation to that value (EnumValue: the value at the enumerated index).
// `index` narrows EnumKey and EnumValue to one index.
struct RegFault {
    RegFault(RegOp operation, std::wstring path) : op(operation), keyPath(std::move(path)) {}

    RegFault& Value(std::wstring name) {
        valueName = std::move(name);
        return *this;
    }
    RegFault& At(DWORD at) {
        index = at;
        return *this;
    }
    RegFault& Error(LONG code) {
        error = code;
        return *this;
    }
    RegFault& Type(DWORD reported) {
        type = reported;
        return *this;
    }
    RegFault& Size(DWORD reported) {
        size = reported;
        return *this;
    }
    RegFault& Skip(int calls) {
        skip = calls;
        return *this;
    }
    RegFault& Times(int calls) {
        times = calls;
        return *this;
    }

    RegOp op;
    std::wstring keyPath;
    std::optional<std::wstring> valueName;
    std::optional<DWORD> index;
    LONG error = ERROR_SUCCESS; // returned instead of doing the operation
    std::optional<DWORD> type;  // reads report this type instead
    std::optional<DWORD> size;  // reads see the data cut or zero-padded to this size
    int skip = 0;               // matching calls let through before the fault applies
    int times = -1;             // how often it applies (-1: always)
};

class MemoryRegistry : public RegistryApi {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;

    // RegistryApi.
    LONG OpenKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) override;
    LONG CreateKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result,
                   DWORD* disposition) override;
    LONG CloseKey(RegHandle key) override;
    LONG EnumKey(RegHandle key, DWORD index, DWORD capacity, std::wstring* name) override;
    LONG EnumValue(RegHandle key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type,
                   BYTE* data, DWORD* dataSize) override;
    LONG QueryInfoKey(RegHandle key, RegKeyInfo* info) override;
    LONG QueryValue(RegHandle key, std::wstring_view name, DWORD* type, BYTE* data, DWORD* dataSize) override;
    LONG SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override;
    LONG DeleteValue(RegHandle key, std::wstring_view name) override;
    LONG DeleteKey(RegHandle parent, std::wstring_view subKey) override;
    bool HasDeleteKeyEx() const override { return hasDeleteKeyEx_; }
    LONG DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM view) override;

    // Configuration.
    void SetHasDeleteKeyEx(bool present) { hasDeleteKeyEx_ = present; }
    void InjectFault(const RegFault& fault) { faults_.push_back(fault); }
    void ClearFaults() { faults_.clear(); }
    // Opening or creating this key (or a key below it) with write access
    // (KEY_SET_VALUE, KEY_CREATE_SUB_KEY) fails with ERROR_ACCESS_DENIED.
    void DenyWrite(std::wstring keyPath) { writeDenied_.push_back(std::move(keyPath)); }

    // Direct access for setting up and checking, by full path; none of these
    // is subject to faults.
    void PutKey(std::wstring_view path);
    void PutValue(std::wstring_view path, std::wstring_view name, DWORD type, std::vector<BYTE> data);
    void PutString(std::wstring_view path, std::wstring_view name, std::wstring_view text,
                   DWORD type = REG_SZ);
    void PutDword(std::wstring_view path, std::wstring_view name, DWORD value);
    struct Value {
        std::wstring name;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    std::optional<Value> GetValue(std::wstring_view path, std::wstring_view name) const;
    bool KeyExists(std::wstring_view path) const;
    std::vector<std::wstring> SubKeyNames(std::wstring_view path) const;
    std::vector<std::wstring> ValueNames(std::wstring_view path) const;
    void RemoveTree(std::wstring_view path);

    // Handles opened and not closed yet (the predefined keys do not count).
    std::size_t OpenHandleCount() const { return handles_.size(); }
    // Number of calls made through RegistryApi, for cost checks.
    std::size_t CallCount() const { return calls_; }

private:
    struct Node;
    struct Handle {
        std::shared_ptr<Node> node;
        REGSAM access = 0;
    };

    Node* Resolve(RegHandle handle, REGSAM needed, LONG* error);
    const Handle* Lookup(RegHandle handle) const;
    std::shared_ptr<Node> FindPath(std::wstring_view path) const;
    std::shared_ptr<Node> MakePath(std::wstring_view path);
    static std::wstring Join(const Node& node, std::wstring_view subKey);
    // The parent and the full path of the key an operation on `subKey` of
    // `parent` acts on; the error of a bad handle or an injected fault.
    LONG ResolveTarget(RegOp op, RegHandle parent, std::wstring_view subKey, Node** base, std::wstring* path);
    // The key of a value call on `key` opened with `needed`, and the fault that
    // matches `op` on the value `name` (null when none does); an error when the
    // name holds a NUL, the handle does not resolve or the fault fails the call.
    LONG ResolveValue(RegOp op, RegHandle key, REGSAM needed, std::wstring_view name, Node** node,
                      const RegFault** fault);
    const RegFault* MatchFault(RegOp op, std::wstring_view keyPath, const std::wstring* valueName,
                               std::optional<DWORD> index);
    bool WriteDenied(std::wstring_view fullPath) const;
    LONG ReadData(const Value& value, const RegFault* fault, DWORD* type, BYTE* data, DWORD* dataSize) const;

    std::shared_ptr<Node> localMachine_;
    std::shared_ptr<Node> currentUser_;
    std::shared_ptr<Node> users_;
    std::map<RegHandle, Handle> handles_;
    RegHandle nextHandle_ = 0x1000;
    std::vector<RegFault> faults_;
    std::vector<std::wstring> writeDenied_;
    bool hasDeleteKeyEx_ = true;
    std::size_t calls_ = 0;
};

} // namespace tarvane
