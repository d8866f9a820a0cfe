// What a backup file may ask the registry import tool to do. The tool writes
// every key a file names and deletes keys and values on request, so a file is
// handed to it only when it stays inside the time-zone keys and deletes
// nothing.
#pragma once

#include <string>

namespace tarvane {

// True when every key line of `text` names TimeZoneInformation, Time Zones or
// a key below Time Zones, and no line deletes a key or a value. Otherwise
// false with the first offending line in `offending`. `text` is the file's
// whole decoded content, NULs included.
bool CheckImportScope(const std::wstring& text, std::wstring* offending);

} // namespace tarvane
