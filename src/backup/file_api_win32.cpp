#include "backup/file_api.h"

#include "platform/format.h"
#include "platform/paths.h"

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <memory>

namespace tarvane {
namespace {

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(handle);
}

// Full access for SYSTEM and Administrators, inherited by what is created
// inside; nothing inherited from the parent, so nobody else gets in.
constexpr wchar_t kPrivateFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// A name taken by someone else is skipped; this many tries, then the last
// error (ERROR_ALREADY_EXISTS) is the answer.
constexpr int kPrivateFolderAttempts = 8;

struct LocalMemory {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

struct TaskMemory {
    void operator()(wchar_t* memory) const { ::CoTaskMemFree(memory); }
};

bool FailWith(HRESULT result) {
    ::SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : ERROR_PATH_NOT_FOUND);
    return false;
}

// The program data folder as the system records it (not as the environment
// says, which the user who started the program sets).
bool ProgramDataFolder(std::wstring* folder) {
    wchar_t* path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
    const std::unique_ptr<wchar_t, TaskMemory> owned(path);
    if (FAILED(result)) {
        return FailWith(result);
    }
    *folder = WithTrailingSeparator(path);
    return true;
}

// "Tarvane-" and 32 hexadecimal digits of a new GUID.
bool FreshFolderName(std::wstring* name) {
    GUID guid{};
    const HRESULT result = ::CoCreateGuid(&guid);
    if (FAILED(result)) {
        return FailWith(result);
    }
    *name = Format(L"Tarvane-%08x%04x%04x", guid.Data1, guid.Data2, guid.Data3);
    for (BYTE byte : guid.Data4) {
        *name += Format(L"%02x", byte);
    }
    return true;
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
    FileHandle OpenDenyingWriters(const std::wstring& path) override {
        return FromHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    FileHandle CreateNew(const std::wstring& path) override {
        return FromHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
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
    bool CreatePrivateFolder(std::wstring* folder) override {
        folder->clear();
        std::wstring root;
        if (!ProgramDataFolder(&root)) {
            return false;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateFolderSddl, SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
            return false;
        }
        const std::unique_ptr<void, LocalMemory> owned(descriptor);
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = descriptor;
        for (int attempt = 0; attempt < kPrivateFolderAttempts; ++attempt) {
            std::wstring name;
            if (!FreshFolderName(&name)) {
                return false;
            }
            const std::wstring path = root + name;
            if (::CreateDirectoryW(path.c_str(), &attributes)) {
                *folder = path;
                return true;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
        return false;
    }
    bool RemoveFile(const std::wstring& path) override { return ::DeleteFileW(path.c_str()) != FALSE; }
    bool RemoveFolder(const std::wstring& path) override { return ::RemoveDirectoryW(path.c_str()) != FALSE; }
};

} // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}

} // namespace tarvane
