// The registry value readers for text and numbers. Each leaves the Windows
// error code of its failure in the thread's last-error slot (0 after success).
#pragma once

#include "platform/registry.h"

#include <string>

namespace tarvane {

// A REG_SZ or REG_EXPAND_SZ value (not expanded), up to its first NUL.
bool ReadStringValue(const RegKey& key, std::wstring_view name, std::wstring* text);

// A REG_DWORD value; 0 when the read fails.
bool ReadNumberValue(const RegKey& key, std::wstring_view name, DWORD* value);

// The same two reads with one registry call each instead of two, for loops
// over many values: every call is a round trip to the registry's keeper (the
// kernel, or the wineserver under Wine). The value is read straight into a
// buffer that holds a text of up to 255 characters or a number; a longer
// value is read again as above. Results and error codes are those of the
// readers above.
bool ReadStringValueInOneCall(const RegKey& key, std::wstring_view name, std::wstring* text);
bool ReadNumberValueInOneCall(const RegKey& key, std::wstring_view name, DWORD* value);

namespace registry_detail {
// Asks for the type and size with a zero-sized buffer. An existing value with
// data answers ERROR_MORE_DATA; anything else, success included (a value of 0
// bytes), is a failure carrying that code.
bool ProbeValue(const RegKey& key, std::wstring_view name, DWORD* type, DWORD* size);
bool Fail(DWORD code);

enum class OneRead {
    Read,     // the value fitted: type and size set
    Failed,   // as the probe fails: the code (0 for a value of 0 bytes) is the last error
    TooLarge, // the value outgrew `capacity`: read it with the probe and a second read
};
// Reads the value into `buffer` with a single call.
OneRead ReadWhole(const RegKey& key, std::wstring_view name, BYTE* buffer, DWORD capacity, DWORD* type,
                  DWORD* size);
} // namespace registry_detail

} // namespace tarvane
