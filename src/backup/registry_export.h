// The time-zone keys as the text of a registry export ("Windows Registry
// Editor Version 5.00"), the content of a backup file. Lines end with a bare
// line feed here; the backup command writes carriage return + line feed.
#pragma once

#include "core/zone_sources.h"
#include "platform/registry.h"

#include <string>
#include <string_view>

namespace tarvane {

inline constexpr wchar_t kRegistryFileHeader[] = L"Windows Registry Editor Version 5.00";
inline constexpr wchar_t kLocalMachineName[] = L"HKEY_LOCAL_MACHINE";

// How a REG_SZ value is written. A backup keeps the export's own rule (the
// text up to its first NUL, quoted when it is printable ASCII); the copy that
// a restore hands to the import tool must read back to the very bytes it holds.
enum class StringForm { Export, Exact };

// What follows the equals sign of a value line, line feed included: a quoted
// string, dword:, hex: or hex(n): with its continuation lines. A REG_DWORD of
// other than 4 bytes is written as hex(4):.
std::wstring FormatValueData(DWORD type, const BYTE* data, DWORD size, StringForm form);

// Whether a line of the export can carry `name`: a value name without a line
// feed or carriage return, a key name without any control character. A backup
// file keeps no carriage return but those before line feeds, and the strict
// reading of a restore refuses a control character in a key line, so such a
// name would come back changed or make the whole backup unreadable; the export
// leaves its value or key out and logs it ([290], [291]).
bool ExportLineCarriesName(std::wstring_view name, bool isKeyName);

// One value: "@=" for the default value, else the name in double quotes with a
// backslash before each backslash and double quote it holds; then `valueText`.
std::wstring FormatValueLine(bool isDefault, std::wstring_view name, std::wstring_view valueText);

// Replaces `text` with the export of TimeZoneInformation and Time Zones.
// True with last error 0; false with the failing registry call's code.
bool ExportTimeZoneDatabase(RegistryApi& registry, std::wstring& text);

// Appends the section of `keyPath` below `rootKey` and, depth first, of all
// its subkeys. 0 or a Windows error code.
LONG ExportRegistryKey(RegistryApi& registry, RegHandle rootKey, const std::wstring& rootName,
                       const std::wstring& keyPath, std::wstring& text);

// Puts each remembered source into the export `text` as a comment line right
// after its zone's key line (kZoneSourceComment); a source whose zone the
// text does not hold, or whose name is not of IsTzNameForm's form, is left out.
void AddZoneSourceComments(const ZoneSources& sources, std::wstring& text);

} // namespace tarvane
