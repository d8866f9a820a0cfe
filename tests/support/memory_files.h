// Files held in memory behind the file seam, with injected failures.
#pragma once

#include "backup/file_api.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarvane::test {

class MemoryFiles : public FileApi {
public:
    std::map<std::wstring, std::vector<BYTE>> files; // by path as given
    std::set<std::wstring> folders;

    // Failures: the Windows code each call leaves.
    std::optional<DWORD> createError;
    std::optional<DWORD> openError; // both opens
    std::optional<DWORD> createNewError;
    std::optional<DWORD> privateFolderError;
    std::optional<DWORD> removeFileError;
    std::optional<DWORD> removeFolderError;
    std::optional<DWORD> sizeError;
    std::optional<ULONGLONG> reportedSize;
    std::optional<DWORD> readError;
    std::optional<DWORD> shortRead; // bytes a read reports
    struct WriteFault {
        std::size_t call;             // 0-based Write call
        DWORD error = 0;              // failure with this code when non-zero
        std::optional<DWORD> written; // otherwise success reporting this count
        DWORD lastError = 0;          // the last error a short write leaves
    };
    std::vector<WriteFault> writeFaults;
    std::size_t openHandles = 0;
    std::wstring programData = L"C:\\ProgramData";
    std::vector<std::wstring> privateFolders; // every one created, in order
    std::vector<std::wstring> deniedWriters;  // the paths opened that way, in order

    FileHandle CreateAlways(const std::wstring& path) override;
    FileHandle OpenExisting(const std::wstring& path) override;
    FileHandle OpenDenyingWriters(const std::wstring& path) override;
    FileHandle CreateNew(const std::wstring& path) override;
    bool GetSize(FileHandle file, ULONGLONG* size) override;
    bool Read(FileHandle file, BYTE* buffer, DWORD size, DWORD* done) override;
    bool Write(FileHandle file, const BYTE* data, DWORD size, DWORD* done) override;
    void Close(FileHandle file) override;
    bool Exists(const std::wstring& path) override;
    bool IsDirectory(const std::wstring& path) override;
    bool CreatePrivateFolder(std::wstring* folder) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;

    // Files and folders at or below `folder`.
    std::vector<std::wstring> Below(const std::wstring& folder) const;

    void PutText(const std::wstring& path, const std::vector<BYTE>& bytes) { files[path] = bytes; }

private:
    FileHandle Open(const std::wstring& path);

    std::map<FileHandle, std::wstring> handles_;
    FileHandle next_ = 0x100;
    std::size_t writeCalls_ = 0;
};

} // namespace tarvane::test
