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
    std::optional<DWORD> openError;
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

    FileHandle CreateAlways(const std::wstring& path) override;
    FileHandle OpenExisting(const std::wstring& path) override;
    bool GetSize(FileHandle file, ULONGLONG* size) override;
    bool Read(FileHandle file, BYTE* buffer, DWORD size, DWORD* done) override;
    bool Write(FileHandle file, const BYTE* data, DWORD size, DWORD* done) override;
    void Close(FileHandle file) override;
    bool Exists(const std::wstring& path) override;
    bool IsDirectory(const std::wstring& path) override;

    void PutText(const std::wstring& path, const std::vector<BYTE>& bytes) { files[path] = bytes; }

private:
    std::map<FileHandle, std::wstring> handles_;
    FileHandle next_ = 0x100;
    std::size_t writeCalls_ = 0;
};

} // namespace tarvane::test
