#include "platform/registry.h"

#include "platform/text.h"

namespace tarvane {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        api_ = other.api_;
        handle_ = other.handle_;
        other.handle_ = 0;
    }
    return *this;
}

LONG RegKey::Open(RegHandle parent, std::wstring_view path, REGSAM access) {
    Close();
    RegHandle handle = 0;
    const LONG result = api_->OpenKey(parent, path, access, &handle);
    if (result == ERROR_SUCCESS) {
        handle_ = handle;
    }
    return result;
}

LONG RegKey::OpenNoLink(RegHandle parent, std::wstring_view path, REGSAM access) {
    Close();
    RegHandle handle = 0;
    const LONG result = api_->OpenKeyNoLink(parent, path, access, &handle);
    if (result == ERROR_SUCCESS) {
        handle_ = handle;
    }
    return result;
}

LONG RegKey::Create(RegHandle parent, std::wstring_view path, REGSAM access, DWORD* disposition) {
    Close();
    RegHandle handle = 0;
    const LONG result = api_->CreateKey(parent, path, access, &handle, disposition);
    if (result == ERROR_SUCCESS) {
        handle_ = handle;
    }
    return result;
}

void RegKey::Close() {
    if (handle_ != 0) {
        api_->CloseKey(handle_);
        handle_ = 0;
    }
}

LONG RegKey::SetString(std::wstring_view name, std::wstring_view text) const {
    const std::vector<BYTE> bytes = ToUtf16Le(text, true);
    return SetValue(name, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

LONG RegKey::SetDword(std::wstring_view name, DWORD value) const {
    BYTE bytes[4];
    WriteDwordLe(bytes, value);
    return SetValue(name, REG_DWORD, bytes, sizeof bytes);
}

bool RegistryKeyIterator::Next() {
    result_ = api_.EnumKey(key_, index_, capacity_, &name_);
    ++index_;
    return result_ == ERROR_SUCCESS;
}

DWORD ReadDwordLe(const BYTE* data) {
    return static_cast<DWORD>(data[0]) | (static_cast<DWORD>(data[1]) << 8) |
           (static_cast<DWORD>(data[2]) << 16) | (static_cast<DWORD>(data[3]) << 24);
}

void WriteDwordLe(BYTE* data, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        data[i] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
    }
}

} // namespace tarvane
