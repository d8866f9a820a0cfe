#include "platform/module_resource.h"

namespace tarvane {

bool ReadModuleResource(int id, const BYTE** data, std::size_t* size) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (found == nullptr) {
        return false;
    }
    const DWORD length = ::SizeofResource(module, found);
    HGLOBAL loaded = length != 0 ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        if (::GetLastError() == ERROR_SUCCESS) {
            ::SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        }
        return false;
    }
    *data = static_cast<const BYTE*>(bytes);
    *size = length;
    return true;
}

} // namespace tarvane
