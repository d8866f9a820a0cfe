// The file that the registry import tool reads during a restore: a copy that
// the restore writes itself from what it read of the backup, in a folder that
// only SYSTEM and Administrators can write, so nobody can change it between
// the writing and the import. It is removed with this object, on every path.
#pragma once

#include "backup/file_api.h"

#include <string>
#include <vector>

namespace tarvane {

class PrivateCopy {
public:
    explicit PrivateCopy(FileApi& files) : files_(files) {}
    ~PrivateCopy();
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    // Creates the folder and the copy holding `bytes`. 0, or the Windows
    // error with its log line naming `source`, the user's file.
    DWORD Write(const std::vector<BYTE>& bytes, const std::wstring& source);
    // The copy's path once it exists.
    const std::wstring& Path() const { return path_; }
    // Removes the copy and the folder now; what cannot be removed is logged.
    // The caller's last error is kept.
    void Remove();

private:
    FileApi& files_;
    std::wstring folder_;
    std::wstring path_;
};

} // namespace tarvane
