#include "backup/database_state.h"

#include "backup/import_scope.h"
#include "backup/registry_export.h"
#include "core/zone_keys.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

#include <algorithm>
#include <memory>

namespace tarvane {
namespace {

constexpr DWORD kKeyNameCapacity = 256;     // the registry's longest key name and its terminator
constexpr DWORD kValueNameCapacity = 16384; // the longest value name and its terminator
constexpr REGSAM kMirrorAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

// The path below HKEY_LOCAL_MACHINE of a content's key, or empty for another root.
std::wstring_view BelowLocalMachine(std::wstring_view path) {
    constexpr std::wstring_view root = kLocalMachineName;
    if (path.size() <= root.size() + 1 || path[root.size()] != L'\\' ||
        !EqualKeyNames(path.substr(0, root.size()), root)) {
        return {};
    }
    return path.substr(root.size() + 1);
}

// `path` lies at or below `root`: the part below it (empty for the root itself).
bool PartBelow(std::wstring_view path, std::wstring_view root, std::wstring_view* rest) {
    if (path.size() < root.size() || !EqualKeyNames(path.substr(0, root.size()), root)) {
        return false;
    }
    if (path.size() == root.size()) {
        *rest = {};
        return true;
    }
    if (path[root.size()] != L'\\') {
        return false;
    }
    *rest = path.substr(root.size() + 1);
    return true;
}

bool SameValueName(const ExportValue& value, std::wstring_view name) {
    return value.isDefault ? name.empty() : EqualKeyNames(value.name, name);
}

// A key of the content with its values merged as an import merges them (a
// later value of the same name wins) and its subkeys.
struct KeyNode {
    std::wstring name;
    bool named = false; // the content has a section for this very key
    std::vector<const ExportValue*> values;
    std::vector<std::unique_ptr<KeyNode>> children;

    KeyNode* Child(std::wstring_view childName) const {
        for (const auto& child : children) {
            if (EqualKeyNames(child->name, childName)) {
                return child.get();
            }
        }
        return nullptr;
    }
    void AddValue(const ExportValue& value) {
        for (const ExportValue*& held : values) {
            if (held->isDefault == value.isDefault &&
                (value.isDefault || EqualKeyNames(held->name, value.name))) {
                held = &value;
                return;
            }
        }
        values.push_back(&value);
    }
    bool HoldsValue(std::wstring_view valueName) const {
        return std::any_of(values.begin(), values.end(),
                           [&](const ExportValue* value) { return SameValueName(*value, valueName); });
    }
};

// The keys of `content` at or below `root` (a path below HKEY_LOCAL_MACHINE) as a tree.
std::unique_ptr<KeyNode> BuildTree(const ExportContent& content, std::wstring_view root) {
    auto top = std::make_unique<KeyNode>();
    for (const ExportKey& key : content.keys) {
        std::wstring_view rest;
        if (!PartBelow(BelowLocalMachine(key.path), root, &rest)) {
            continue;
        }
        KeyNode* node = top.get();
        while (!rest.empty()) {
            const std::size_t cut = rest.find(L'\\');
            const std::wstring_view part = rest.substr(0, cut);
            KeyNode* child = node->Child(part);
            if (child == nullptr) {
                node->children.push_back(std::make_unique<KeyNode>());
                child = node->children.back().get();
                child->name = std::wstring(part);
            }
            node = child;
            rest = cut == std::wstring_view::npos ? std::wstring_view() : rest.substr(cut + 1);
        }
        node->named = true;
        for (const ExportValue& value : key.values) {
            node->AddValue(value);
        }
    }
    return top;
}

// Every subkey name of an open key, all read before any is changed.
LONG SubKeyNames(RegistryApi& registry, RegHandle key, std::vector<std::wstring>* names) {
    RegistryKeyIterator subKeys(registry, key, kKeyNameCapacity);
    while (subKeys.Next()) {
        names->push_back(subKeys.Name());
    }
    return subKeys.Result() == static_cast<LONG>(ERROR_NO_MORE_ITEMS) ? ERROR_SUCCESS : subKeys.Result();
}

LONG ValueNames(RegistryApi& registry, RegHandle key, std::vector<std::wstring>* names) {
    for (DWORD index = 0;; ++index) {
        std::wstring name;
        const LONG status =
            registry.EnumValue(key, index, kValueNameCapacity, &name, nullptr, nullptr, nullptr);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            return ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS && status != static_cast<LONG>(ERROR_MORE_DATA)) {
            return status;
        }
        names->push_back(std::move(name));
    }
}

class Mirror {
public:
    Mirror(RegistryApi& registry, bool is64BitOs, bool writeValues)
        : registry_(registry), is64BitOs_(is64BitOs), writeValues_(writeValues) {}

    DWORD Result() const { return error_; }

    // `path` below HKEY_LOCAL_MACHINE made to hold what `node` holds.
    void Key(const std::wstring& path, const KeyNode& node) {
        RegKey key(registry_);
        const LONG opened = writeValues_ ? key.Create(kHkeyLocalMachine, path, kMirrorAccess)
                                         : key.Open(kHkeyLocalMachine, path, kMirrorAccess);
        if (opened == static_cast<LONG>(ERROR_FILE_NOT_FOUND) && !writeValues_) {
            return;
        }
        if (opened != ERROR_SUCCESS) {
            Fail(opened, path);
            return;
        }
        if (writeValues_) {
            for (const ExportValue* value : node.values) {
                const LONG set =
                    key.SetValue(value->isDefault ? std::wstring_view() : value->name, value->type,
                                 value->data.data(), static_cast<DWORD>(value->data.size()));
                if (set != ERROR_SUCCESS) {
                    Fail(set, path);
                }
            }
        }
        std::vector<std::wstring> names;
        if (const LONG listed = ValueNames(registry_, key.Handle(), &names); listed != ERROR_SUCCESS) {
            Fail(listed, path);
        }
        for (const std::wstring& name : names) {
            if (!node.HoldsValue(name)) {
                if (const LONG removed = key.DeleteValue(name);
                    removed != ERROR_SUCCESS && removed != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
                    Fail(removed, path);
                }
            }
        }
        std::vector<std::wstring> subKeys;
        if (const LONG listed = SubKeyNames(registry_, key.Handle(), &subKeys); listed != ERROR_SUCCESS) {
            Fail(listed, path);
            return; // which keys are extra is not known
        }
        for (const std::wstring& name : subKeys) {
            const std::wstring childPath = path + L"\\" + name;
            if (const KeyNode* child = node.Child(name)) {
                Key(childPath, *child);
                continue;
            }
            std::wstring failed;
            bool removedSome = false;
            const LONG removed = DeleteKeyTree(key, name, is64BitOs_, &failed, &removedSome);
            if (removed != ERROR_SUCCESS && removed != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
                Fail(removed, path + L"\\" + failed);
            }
        }
        if (writeValues_) {
            for (const auto& child : node.children) {
                const bool present =
                    std::any_of(subKeys.begin(), subKeys.end(),
                                [&](const std::wstring& name) { return EqualKeyNames(name, child->name); });
                if (!present) {
                    Key(path + L"\\" + child->name, *child);
                }
            }
        }
    }

private:
    void Fail(LONG error, const std::wstring& path) {
        SetThreadLastError(static_cast<DWORD>(error));
        LogMessage(L"[311] err=%d, key=\"%s\"", error, path);
        if (error_ == 0) {
            error_ = static_cast<DWORD>(error);
        }
    }

    RegistryApi& registry_;
    bool is64BitOs_;
    bool writeValues_;
    DWORD error_ = 0;
};

LONG ReadKeyState(RegistryApi& registry, const std::wstring& path, ExportContent* state,
                  std::wstring* failed) {
    *failed = path;
    RegKey key(registry);
    if (const LONG opened = key.Open(kHkeyLocalMachine, path, KEY_READ); opened != ERROR_SUCCESS) {
        return opened;
    }
    RegKeyInfo info;
    if (const LONG queried = key.QueryInfo(&info); queried != ERROR_SUCCESS) {
        return queried;
    }
    ExportKey section;
    section.path = Format(L"%s\\%s", kLocalMachineName, path);
    std::vector<BYTE> data(info.maxValueDataLength);
    for (DWORD index = 0;; ++index) {
        ExportValue value;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = registry.EnumValue(key.Handle(), index, kValueNameCapacity, &value.name,
                                               &value.type, data.empty() ? nullptr : data.data(), &size);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            break;
        }
        if (status != ERROR_SUCCESS || size > data.size()) {
            // A value that grew since the key was asked: what is saved would not be what was there.
            return status != ERROR_SUCCESS ? status : static_cast<LONG>(ERROR_MORE_DATA);
        }
        value.isDefault = value.name.empty();
        value.data.assign(data.begin(), data.begin() + size);
        section.values.push_back(std::move(value));
    }
    state->keys.push_back(std::move(section));
    std::vector<std::wstring> subKeys;
    if (const LONG listed = SubKeyNames(registry, key.Handle(), &subKeys); listed != ERROR_SUCCESS) {
        return listed;
    }
    for (const std::wstring& name : subKeys) {
        if (const LONG read = ReadKeyState(registry, path + L"\\" + name, state, failed);
            read != ERROR_SUCCESS) {
            return read;
        }
    }
    return ERROR_SUCCESS;
}

// The zone names below Time Zones and, for each, its keys as a tree.
struct ZoneTrees {
    std::vector<std::wstring> names;
    std::unique_ptr<KeyNode> tree;
};

ZoneTrees Zones(const ExportContent& content) {
    ZoneTrees zones{{}, BuildTree(content, kTimeZonesPath)};
    for (const auto& child : zones.tree->children) {
        zones.names.push_back(child->name);
    }
    return zones;
}

bool SameValue(const ExportValue& a, const ExportValue& b) {
    return a.isDefault == b.isDefault && (a.isDefault || EqualKeyNames(a.name, b.name)) && a.type == b.type &&
           a.data == b.data;
}

bool SameTree(const KeyNode& a, const KeyNode& b) {
    if (a.values.size() != b.values.size() || a.children.size() != b.children.size()) {
        return false;
    }
    for (const ExportValue* value : a.values) {
        if (std::none_of(b.values.begin(), b.values.end(),
                         [&](const ExportValue* other) { return SameValue(*value, *other); })) {
            return false;
        }
    }
    for (const auto& child : a.children) {
        const KeyNode* other = b.Child(child->name);
        if (other == nullptr || !SameTree(*child, *other)) {
            return false;
        }
    }
    return true;
}

} // namespace

DWORD ReadDatabaseState(RegistryApi& registry, ExportContent* state) {
    *state = ExportContent{};
    for (const wchar_t* path : {kTimeZoneInformationPath, kTimeZonesPath}) {
        std::wstring failed;
        if (const LONG read = ReadKeyState(registry, path, state, &failed); read != ERROR_SUCCESS) {
            SetThreadLastError(static_cast<DWORD>(read));
            LogMessage(L"[310] err=%d, key=\"%s\"", read, failed);
            return static_cast<DWORD>(read);
        }
    }
    SetThreadLastError(0);
    return 0;
}

DWORD MirrorKeyTree(RegistryApi& registry, bool is64BitOs, std::wstring_view rootPath,
                    const ExportContent& content, bool writeValues) {
    const std::unique_ptr<KeyNode> tree = BuildTree(content, rootPath);
    Mirror mirror(registry, is64BitOs, writeValues);
    mirror.Key(std::wstring(rootPath), *tree);
    SetThreadLastError(mirror.Result());
    return mirror.Result();
}

ZoneChanges CompareZones(const ExportContent& from, const ExportContent& to) {
    const ZoneTrees before = Zones(from);
    const ZoneTrees after = Zones(to);
    ZoneChanges changes;
    changes.fromZones = before.names.size();
    changes.toZones = after.names.size();
    for (const auto& zone : after.tree->children) {
        const KeyNode* old = before.tree->Child(zone->name);
        if (old == nullptr) {
            changes.added.push_back(zone->name);
        } else if (!SameTree(*old, *zone)) {
            changes.changed.push_back(zone->name);
        }
    }
    for (const auto& zone : before.tree->children) {
        if (after.tree->Child(zone->name) == nullptr) {
            changes.deleted.push_back(zone->name);
        }
    }
    return changes;
}

std::vector<std::wstring> ZoneNames(const ExportContent& content) {
    return Zones(content).names;
}

bool FindStringValue(const ExportContent& content, std::wstring_view keyPath, std::wstring_view name,
                     std::wstring* text) {
    const ExportValue* found = nullptr;
    for (const ExportKey& key : content.keys) {
        if (!EqualKeyNames(key.path, keyPath)) {
            continue;
        }
        for (const ExportValue& value : key.values) {
            if (SameValueName(value, name)) {
                found = &value;
            }
        }
    }
    if (found == nullptr || found->type != REG_SZ) {
        return false;
    }
    std::wstring read = FromUtf16Le(found->data.data(), found->data.size() / 2);
    // The terminators go; a NUL inside stays for the caller to refuse.
    while (!read.empty() && read.back() == L'\0') {
        read.pop_back();
    }
    *text = std::move(read);
    return true;
}

} // namespace tarvane
