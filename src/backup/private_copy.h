// The file that the registry import tool reads during a restore: a copy that
// the restore writes itself from what it read of the backup, in a folder that
// only SYSTEM and Administrators can write, so nobody can change it between
// the writing and the import. Beside it the restore saves the database as it
// was before (the saved state), in case the database has to be put back. Both
// are removed with this object, on every path, unless the saved state is kept.
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

    // Creates the folder (once) and the copy holding `bytes`. 0, or the
    // Windows error with its log line naming `source`, the user's file.
    DWORD Write(const std::vector<BYTE>& bytes, const std::wstring& source);
    // The same for the saved state, a file a restore can read as a backup.
    DWORD WriteState(const std::vector<BYTE>& bytes, const std::wstring& source);
    // The copy's and the saved state's paths once they exist.
    const std::wstring& Path() const { return path_; }
    const std::wstring& StatePath() const { return statePath_; }
    // The saved state (and so its folder) stays when the rest is removed.
    void KeepState() { keepState_ = true; }
    // Removes the copy, the saved state unless kept and the folder now; what
    // cannot be removed is logged. The caller's last error is kept.
    void Remove();

private:
    DWORD WriteFile(const wchar_t* name, const std::vector<BYTE>& bytes, const std::wstring& source,
                    std::wstring* written);

    FileApi& files_;
    std::wstring folder_;
    std::wstring path_;
    std::wstring statePath_;
    bool keepState_ = false;
};

} // namespace tarvane
