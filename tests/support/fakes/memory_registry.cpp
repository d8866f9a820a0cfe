#include "fakes/memory_registry.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace tarvane {

struct MemoryRegistry::Node {
    std::wstring name;
    std::wstring fullPath;
    std::vector<std::shared_ptr<Node>> children; // kept in case-insensitive order, as Windows lists them
    std::vector<Value> values;                   // kept in creation order
    bool deleted = false;

    // Children are sorted, so a lookup costs a binary search, not a walk.
    std::vector<std::shared_ptr<Node>>::const_iterator LowerBound(std::wstring_view childName) const {
        return std::lower_bound(children.begin(), children.end(), childName,
                                [](const std::shared_ptr<Node>& child, std::wstring_view name) {
                                    return CompareNoCase(child->name, name) < 0;
                                });
    }
    std::shared_ptr<Node> Child(std::wstring_view childName) const {
        auto it = LowerBound(childName);
        return it != children.end() && EqualNoCase((*it)->name, childName) ? *it : nullptr;
    }
    std::shared_ptr<Node> AddChild(std::wstring_view childName) {
        auto child = std::make_shared<Node>();
        child->name = std::wstring(childName);
        child->fullPath = fullPath + L"\\" + child->name;
        children.insert(LowerBound(childName), child);
        return child;
    }
    Value* FindValue(std::wstring_view valueName) {
        for (auto& value : values) {
            if (EqualNoCase(value.name, valueName)) {
                return &value;
            }
        }
        return nullptr;
    }
};

namespace {

std::vector<std::wstring> SplitPath(std::wstring_view path) {
    std::vector<std::wstring> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find(L'\\', pos);
        if (end == std::wstring_view::npos) {
            end = path.size();
        }
        if (end > pos) {
            parts.emplace_back(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return parts;
}

} // namespace

MemoryRegistry::MemoryRegistry()
    : localMachine_(std::make_shared<Node>()), currentUser_(std::make_shared<Node>()),
      users_(std::make_shared<Node>()) {
    localMachine_->name = localMachine_->fullPath = L"HKEY_LOCAL_MACHINE";
    currentUser_->name = currentUser_->fullPath = L"HKEY_CURRENT_USER";
    users_->name = users_->fullPath = L"HKEY_USERS";
}

MemoryRegistry::~MemoryRegistry() = default;

const MemoryRegistry::Handle* MemoryRegistry::Lookup(RegHandle handle) const {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : &it->second;
}

MemoryRegistry::Node* MemoryRegistry::Resolve(RegHandle handle, REGSAM needed, LONG* error) {
    if (handle == kHkeyLocalMachine) {
        *error = ERROR_SUCCESS;
        return localMachine_.get();
    }
    if (handle == kHkeyCurrentUser) {
        *error = ERROR_SUCCESS;
        return currentUser_.get();
    }
    if (handle == kHkeyUsers) {
        *error = ERROR_SUCCESS;
        return users_.get();
    }
    const Handle* entry = Lookup(handle);
    if (entry == nullptr) {
        *error = static_cast<LONG>(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (entry->node->deleted) {
        *error = static_cast<LONG>(ERROR_KEY_DELETED);
        return nullptr;
    }
    if ((entry->access & needed) != needed) {
        *error = static_cast<LONG>(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    *error = ERROR_SUCCESS;
    return entry->node.get();
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::FindPath(std::wstring_view path) const {
    const auto parts = SplitPath(path);
    if (parts.empty()) {
        return nullptr;
    }
    std::shared_ptr<Node> node;
    if (EqualNoCase(parts[0], L"HKEY_LOCAL_MACHINE") || EqualNoCase(parts[0], L"HKLM")) {
        node = localMachine_;
    } else if (EqualNoCase(parts[0], L"HKEY_CURRENT_USER") || EqualNoCase(parts[0], L"HKCU")) {
        node = currentUser_;
    } else if (EqualNoCase(parts[0], L"HKEY_USERS") || EqualNoCase(parts[0], L"HKU")) {
        node = users_;
    } else {
        return nullptr;
    }
    for (std::size_t i = 1; i < parts.size() && node; ++i) {
        node = node->Child(parts[i]);
    }
    return node;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::MakePath(std::wstring_view path) {
    const auto parts = SplitPath(path);
    std::shared_ptr<Node> node = localMachine_;
    if (!parts.empty() && (EqualNoCase(parts[0], L"HKEY_CURRENT_USER") || EqualNoCase(parts[0], L"HKCU"))) {
        node = currentUser_;
    } else if (!parts.empty() && (EqualNoCase(parts[0], L"HKEY_USERS") || EqualNoCase(parts[0], L"HKU"))) {
        node = users_;
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto child = node->Child(parts[i]);
        node = child ? child : node->AddChild(parts[i]);
    }
    return node;
}

LONG MemoryRegistry::ResolveTarget(RegOp op, RegHandle parent, std::wstring_view subKey, Node** base,
                                   std::wstring* path) {
    if (HoldsNul(subKey)) {
        return ERROR_INVALID_PARAMETER;
    }
    LONG error = 0;
    *base = Resolve(parent, 0, &error);
    if (*base == nullptr) {
        return error;
    }
    *path = Join(**base, subKey);
    if (const RegFault* fault = MatchFault(op, *path, nullptr, std::nullopt); fault && fault->error) {
        return fault->error;
    }
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::ResolveValue(RegOp op, RegHandle key, REGSAM needed, std::wstring_view name, Node** node,
                                  const RegFault** fault) {
    if (HoldsNul(name)) {
        return ERROR_INVALID_PARAMETER;
    }
    LONG error = 0;
    *node = Resolve(key, needed, &error);
    if (*node == nullptr) {
        return error;
    }
    const std::wstring valueName(name);
    *fault = MatchFault(op, (*node)->fullPath, &valueName, std::nullopt);
    return *fault && (*fault)->error ? (*fault)->error : ERROR_SUCCESS;
}

std::wstring MemoryRegistry::Join(const Node& node, std::wstring_view subKey) {
    std::wstring path = node.fullPath;
    for (const auto& part : SplitPath(subKey)) {
        path += L"\\" + part;
    }
    return path;
}

const RegFault* MemoryRegistry::MatchFault(RegOp op, std::wstring_view keyPath, const std::wstring* valueName,
                                           std::optional<DWORD> index) {
    for (auto& fault : faults_) {
        if (fault.op != op || fault.times == 0 || !EqualNoCase(fault.keyPath, keyPath)) {
            continue;
        }
        if (fault.valueName && (valueName == nullptr || !EqualNoCase(*fault.valueName, *valueName))) {
            continue;
        }
        if (fault.index && fault.index != index) {
            continue;
        }
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.times > 0) {
            --fault.times;
        }
        return &fault;
    }
    return nullptr;
}

bool MemoryRegistry::WriteDenied(std::wstring_view fullPath) const {
    for (const auto& denied : writeDenied_) {
        if (fullPath.size() >= denied.size() && EqualNoCase(fullPath.substr(0, denied.size()), denied) &&
            (fullPath.size() == denied.size() || fullPath[denied.size()] == L'\\')) {
            return true;
        }
    }
    return false;
}

LONG MemoryRegistry::OpenKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) {
    ++calls_;
    std::wstring path;
    Node* base = nullptr;
    if (const LONG error = ResolveTarget(RegOp::Open, parent, subKey, &base, &path); error != ERROR_SUCCESS) {
        return error;
    }
    auto node = FindPath(path);
    if (!node) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    if ((access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0 && WriteDenied(path)) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    const RegHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = Handle{node, access};
    *result = handle;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::CreateKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result,
                               DWORD* disposition) {
    ++calls_;
    std::wstring path;
    Node* base = nullptr;
    if (const LONG error = ResolveTarget(RegOp::Create, parent, subKey, &base, &path);
        error != ERROR_SUCCESS) {
        return error;
    }
    if (WriteDenied(path) && ((access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0 || !FindPath(path))) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    auto node = FindPath(path);
    if (disposition != nullptr) {
        *disposition = node ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    if (!node) {
        node = MakePath(path);
    }
    const RegHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = Handle{node, access};
    *result = handle;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::CloseKey(RegHandle key) {
    ++calls_;
    if (key == kHkeyLocalMachine || key == kHkeyCurrentUser || key == kHkeyUsers) {
        return ERROR_SUCCESS;
    }
    return handles_.erase(key) == 1 ? ERROR_SUCCESS : static_cast<LONG>(ERROR_INVALID_HANDLE);
}

LONG MemoryRegistry::EnumKey(RegHandle key, DWORD index, DWORD capacity, std::wstring* name) {
    ++calls_;
    LONG error = 0;
    Node* node = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &error);
    if (node == nullptr) {
        return error;
    }
    if (const RegFault* fault = MatchFault(RegOp::EnumKey, node->fullPath, nullptr, index);
        fault && fault->error) {
        return fault->error;
    }
    if (index >= node->children.size()) {
        return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    }
    const std::wstring& childName = node->children[index]->name;
    if (Utf16Length(childName) + 1 > capacity) {
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    *name = childName;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::ReadData(const Value& stored, const RegFault* fault, DWORD* type, BYTE* data,
                              DWORD* dataSize) const {
    DWORD effectiveType = stored.type;
    std::vector<BYTE> bytes = stored.data;
    if (fault != nullptr) {
        if (fault->type) {
            effectiveType = *fault->type;
        }
        if (fault->size) {
            bytes.resize(*fault->size, 0);
        }
    }
    if (type != nullptr) {
        *type = effectiveType;
    }
    const auto size = static_cast<DWORD>(bytes.size());
    if (data == nullptr) {
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return ERROR_SUCCESS;
    }
    if (dataSize == nullptr) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    if (*dataSize < size) {
        *dataSize = size;
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    if (size != 0) {
        std::memcpy(data, bytes.data(), size);
    }
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::EnumValue(RegHandle key, DWORD index, DWORD nameCapacity, std::wstring* name,
                               DWORD* type, BYTE* data, DWORD* dataSize) {
    ++calls_;
    LONG error = 0;
    Node* node = Resolve(key, KEY_QUERY_VALUE, &error);
    if (node == nullptr) {
        return error;
    }
    const std::wstring* valueName = index < node->values.size() ? &node->values[index].name : nullptr;
    const RegFault* fault = MatchFault(RegOp::EnumValue, node->fullPath, valueName, index);
    if (fault && fault->error) {
        return fault->error;
    }
    if (index >= node->values.size()) {
        return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    }
    const Value& value = node->values[index];
    if (Utf16Length(value.name) + 1 > nameCapacity) {
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    *name = value.name;
    return ReadData(value, fault, type, data, dataSize);
}

LONG MemoryRegistry::QueryInfoKey(RegHandle key, RegKeyInfo* info) {
    ++calls_;
    LONG error = 0;
    Node* node = Resolve(key, KEY_QUERY_VALUE, &error);
    if (node == nullptr) {
        return error;
    }
    if (const RegFault* fault = MatchFault(RegOp::QueryInfo, node->fullPath, nullptr, std::nullopt);
        fault && fault->error) {
        return fault->error;
    }
    RegKeyInfo result;
    result.subKeys = static_cast<DWORD>(node->children.size());
    for (const auto& child : node->children) {
        result.maxSubKeyLength =
            std::max(result.maxSubKeyLength, static_cast<DWORD>(Utf16Length(child->name)));
    }
    result.values = static_cast<DWORD>(node->values.size());
    for (const auto& value : node->values) {
        result.maxValueNameLength =
            std::max(result.maxValueNameLength, static_cast<DWORD>(Utf16Length(value.name)));
        result.maxValueDataLength =
            std::max(result.maxValueDataLength, static_cast<DWORD>(value.data.size()));
    }
    *info = result;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::QueryValue(RegHandle key, std::wstring_view name, DWORD* type, BYTE* data,
                                DWORD* dataSize) {
    ++calls_;
    Node* node = nullptr;
    const RegFault* fault = nullptr;
    if (const LONG error = ResolveValue(RegOp::QueryValue, key, KEY_QUERY_VALUE, name, &node, &fault);
        error != ERROR_SUCCESS) {
        return error;
    }
    const Value* value = node->FindValue(name);
    if (value == nullptr) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    return ReadData(*value, fault, type, data, dataSize);
}

LONG MemoryRegistry::SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data,
                              DWORD size) {
    ++calls_;
    Node* node = nullptr;
    const RegFault* fault = nullptr;
    if (const LONG error = ResolveValue(RegOp::SetValue, key, KEY_SET_VALUE, name, &node, &fault);
        error != ERROR_SUCCESS) {
        return error;
    }
    std::vector<BYTE> bytes(data, data + (data ? size : 0));
    if (Value* existing = node->FindValue(name)) {
        existing->type = type;
        existing->data = std::move(bytes);
    } else {
        node->values.push_back(Value{std::wstring(name), type, std::move(bytes)});
    }
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::DeleteValue(RegHandle key, std::wstring_view name) {
    ++calls_;
    Node* node = nullptr;
    const RegFault* fault = nullptr;
    if (const LONG error = ResolveValue(RegOp::DeleteValue, key, KEY_SET_VALUE, name, &node, &fault);
        error != ERROR_SUCCESS) {
        return error;
    }
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Value& value) { return EqualNoCase(value.name, name); });
    if (it == node->values.end()) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    node->values.erase(it);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::DeleteKey(RegHandle parent, std::wstring_view subKey) {
    ++calls_;
    std::wstring path;
    Node* base = nullptr;
    if (const LONG error = ResolveTarget(RegOp::DeleteKey, parent, subKey, &base, &path);
        error != ERROR_SUCCESS) {
        return error;
    }
    auto node = FindPath(path);
    if (!node || node.get() == base) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    if (!node->children.empty() || WriteDenied(path)) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    RemoveTree(path);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM) {
    return DeleteKey(parent, subKey);
}

void MemoryRegistry::PutKey(std::wstring_view path) {
    MakePath(path);
}

void MemoryRegistry::PutValue(std::wstring_view path, std::wstring_view name, DWORD type,
                              std::vector<BYTE> data) {
    auto node = MakePath(path);
    if (Value* existing = node->FindValue(name)) {
        existing->type = type;
        existing->data = std::move(data);
    } else {
        node->values.push_back(Value{std::wstring(name), type, std::move(data)});
    }
}

void MemoryRegistry::PutString(std::wstring_view path, std::wstring_view name, std::wstring_view text,
                               DWORD type) {
    PutValue(path, name, type, ToUtf16Le(text, true));
}

void MemoryRegistry::PutDword(std::wstring_view path, std::wstring_view name, DWORD value) {
    std::vector<BYTE> bytes(4);
    WriteDwordLe(bytes.data(), value);
    PutValue(path, name, REG_DWORD, std::move(bytes));
}

std::optional<MemoryRegistry::Value> MemoryRegistry::GetValue(std::wstring_view path,
                                                              std::wstring_view name) const {
    auto node = FindPath(path);
    if (!node) {
        return std::nullopt;
    }
    if (Value* value = node->FindValue(name)) {
        return *value;
    }
    return std::nullopt;
}

bool MemoryRegistry::KeyExists(std::wstring_view path) const {
    return FindPath(path) != nullptr;
}

std::vector<std::wstring> MemoryRegistry::SubKeyNames(std::wstring_view path) const {
    std::vector<std::wstring> names;
    if (auto node = FindPath(path)) {
        for (const auto& child : node->children) {
            names.push_back(child->name);
        }
    }
    return names;
}

std::vector<std::wstring> MemoryRegistry::ValueNames(std::wstring_view path) const {
    std::vector<std::wstring> names;
    if (auto node = FindPath(path)) {
        for (const auto& value : node->values) {
            names.push_back(value.name);
        }
    }
    return names;
}

void MemoryRegistry::RemoveTree(std::wstring_view path) {
    auto node = FindPath(path);
    if (!node || node == localMachine_ || node == currentUser_ || node == users_) {
        return;
    }
    const std::size_t cut = node->fullPath.rfind(L'\\');
    auto parent = FindPath(std::wstring_view(node->fullPath).substr(0, cut));
    std::vector<std::shared_ptr<Node>> pending{node};
    while (!pending.empty()) {
        auto current = pending.back();
        pending.pop_back();
        current->deleted = true;
        pending.insert(pending.end(), current->children.begin(), current->children.end());
    }
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    }
}

} // namespace tarvane
