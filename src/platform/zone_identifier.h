// Removing the download mark that Windows attaches to files from the
// Internet (the alternate data stream ":Zone.Identifier") from the program's
// own file, so that its relaunches and file dialogs are not held up by it.
#pragma once

#include "platform/win_types.h"

namespace tarvane {

// 1 the mark was found and removed, 0 there was none, negative on failure
// (-2 no NtQueryInformationFile, -3 the file cannot be opened, -4 no memory,
// -5 a stream name too long, -6 the stream path too long, -7 the stream
// cannot be opened, -8 it cannot be closed). `error` receives the Windows
// error (0 when none), which is also the last error.
int RemoveZoneIdentifier(DWORD* error);

} // namespace tarvane
