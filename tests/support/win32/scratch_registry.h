// A scratch copy of HKEY_LOCAL_MACHINE for tests that write: the predefined
// key is redirected to a fresh key below HKEY_CURRENT_USER for the life of the
// object, so the prefix's own database is never touched.
#pragma once

#include "platform/win_types.h"

#include <string>

namespace tarvane::test {

class ScratchLocalMachine {
public:
    ScratchLocalMachine();
    ~ScratchLocalMachine();
    ScratchLocalMachine(const ScratchLocalMachine&) = delete;
    ScratchLocalMachine& operator=(const ScratchLocalMachine&) = delete;

    bool Ok() const { return ok_; }
    const std::wstring& Path() const { return path_; }

    // Copies a key of the real HKEY_LOCAL_MACHINE (read before the
    // redirection) into the scratch copy at the same path.
    static bool CopyRealKey(const std::wstring& path, ScratchLocalMachine& into);

private:
    std::wstring path_;
    HKEY key_ = nullptr;
    bool ok_ = false;
};

// Lets everyone read `path` below HKEY_LOCAL_MACHINE but not write it, as a
// user without administrative rights finds the key; `extra` rights are kept
// for everyone as well. The Windows error, 0 on success.
LONG RestrictToReading(const wchar_t* path, REGSAM extra = 0);

} // namespace tarvane::test
