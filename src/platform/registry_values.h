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

namespace registry_detail {
// Asks for the type and size with a zero-sized buffer. An existing value with
// data answers ERROR_MORE_DATA; anything else, success included (a value of 0
// bytes), is a failure carrying that code.
bool ProbeValue(const RegKey& key, std::wstring_view name, DWORD* type, DWORD* size);
bool Fail(DWORD code);
} // namespace registry_detail

} // namespace tarvane
