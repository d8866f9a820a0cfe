// The file seam of the backup commands: the kernel32 file calls they make,
// with the Windows error code of a failure in the thread's last-error slot.
// The Win32 implementation calls the system; tests use files held in memory.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <string>

namespace tarvane {

using FileHandle = std::uintptr_t; // 0: no file

class FileApi {
public:
    virtual ~FileApi() = default;
    // CreateFileW, GENERIC_READ | GENERIC_WRITE, no sharing, CREATE_ALWAYS,
    // FILE_ATTRIBUTE_NORMAL. 0 on failure.
    virtual FileHandle CreateAlways(const std::wstring& path) = 0;
    // CreateFileW, GENERIC_READ, sharing read and write, OPEN_EXISTING. 0 on failure.
    virtual FileHandle OpenExisting(const std::wstring& path) = 0;
    // The same with sharing read only: nobody can write the file while it is
    // open, and the open fails while someone is writing it. 0 on failure.
    virtual FileHandle OpenDenyingWriters(const std::wstring& path) = 0;
    // CreateFileW, GENERIC_WRITE, no sharing, CREATE_NEW (fails when the file
    // exists), FILE_ATTRIBUTE_NORMAL. 0 on failure.
    virtual FileHandle CreateNew(const std::wstring& path) = 0;
    // GetFileSizeEx.
    virtual bool GetSize(FileHandle file, ULONGLONG* size) = 0;
    // ReadFile / WriteFile; the count done is set whatever the result.
    virtual bool Read(FileHandle file, BYTE* buffer, DWORD size, DWORD* done) = 0;
    virtual bool Write(FileHandle file, const BYTE* data, DWORD size, DWORD* done) = 0;
    // CloseHandle.
    virtual void Close(FileHandle file) = 0;
    // PathFileExistsW and PathIsDirectoryW.
    virtual bool Exists(const std::wstring& path) = 0;
    virtual bool IsDirectory(const std::wstring& path) = 0;
    // A new folder with a fresh name below the program data folder, created
    // with a protected DACL that lets only SYSTEM and Administrators in
    // (CreateDirectoryW, which fails rather than take a folder someone else
    // prepared). `folder` receives its path; false on failure.
    virtual bool CreatePrivateFolder(std::wstring* folder) = 0;
    // DeleteFileW and RemoveDirectoryW.
    virtual bool RemoveFile(const std::wstring& path) = 0;
    virtual bool RemoveFolder(const std::wstring& path) = 0;
};

// An open file that closes itself.
class FileHolder {
public:
    FileHolder(FileApi& api, FileHandle handle) : api_(api), handle_(handle) {}
    ~FileHolder() {
        if (handle_ != 0) {
            api_.Close(handle_);
        }
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    FileHandle Get() const { return handle_; }

private:
    FileApi& api_;
    FileHandle handle_;
};

#ifdef _WIN32
// The system's files.
FileApi& SystemFiles();
#endif

} // namespace tarvane
