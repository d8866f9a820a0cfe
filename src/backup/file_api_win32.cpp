#include "backup/file_api.h"

#include <shlwapi.h>

namespace tarvane {
namespace {

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(handle);
}

class Win32Files : public FileApi {
public:
    FileHandle CreateAlways(const std::wstring& path) override {
        return FromHandle(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    FileHandle OpenExisting(const std::wstring& path) override {
        return FromHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    bool GetSize(FileHandle file, ULONGLONG* size) override {
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(ToHandle(file), &value)) {
            return false;
        }
        *size = static_cast<ULONGLONG>(value.QuadPart);
        return true;
    }
    bool Read(FileHandle file, BYTE* buffer, DWORD size, DWORD* done) override {
        *done = 0;
        return ::ReadFile(ToHandle(file), buffer, size, done, nullptr) != FALSE;
    }
    bool Write(FileHandle file, const BYTE* data, DWORD size, DWORD* done) override {
        *done = 0;
        return ::WriteFile(ToHandle(file), data, size, done, nullptr) != FALSE;
    }
    void Close(FileHandle file) override { ::CloseHandle(ToHandle(file)); }
    bool Exists(const std::wstring& path) override { return ::PathFileExistsW(path.c_str()) != FALSE; }
    bool IsDirectory(const std::wstring& path) override { return ::PathIsDirectoryW(path.c_str()) != FALSE; }
};

} // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}

} // namespace tarvane
