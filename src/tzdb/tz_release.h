// An IANA tz release as a user has it, compiled into the program's tz table:
// the tarball exactly as IANA publishes it (tzdataYYYYx.tar.gz), a folder of
// its extracted files, or the single tzdata.zi that Linux systems carry. Of a
// tarball or a folder only the files zic compiles by default are read (in
// the order below) and the version file; the rest is left alone. Everything
// here is a pure function over bytes: a folder's files are handed over by the
// caller, who does the file system calls.
#pragma once

#include "platform/win_types.h"
#include "tzdb/tz_source.h"
#include "tzdb/tz_table.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// The source files of a release that are compiled.
inline constexpr std::array<std::wstring_view, 10> kTzReleaseSources = {
    L"africa",       L"antarctica",   L"asia",     L"australasia", L"europe",
    L"northamerica", L"southamerica", L"etcetera", L"factory",     L"backward"};

// The whole of a gzip stream (one member: its CRC and length are checked),
// at most `limit` bytes of it; false with a reason when it is damaged,
// truncated or larger.
bool GunzipBytes(const BYTE* data, std::size_t size, std::size_t limit, std::string* out,
                 std::wstring* reason);

struct TarMember {
    std::wstring name; // as stored, without a leading "./"
    std::string_view bytes;
};

// The regular files of an uncompressed tar archive (ustar, pax or GNU), their
// bytes pointing into `archive`; false with a reason when a header is damaged
// or a member runs past the end.
bool ReadTarMembers(std::string_view archive, std::vector<TarMember>* members, std::wstring* reason);

// A release tarball; `fileName` names it in messages.
std::optional<TzSourceError> ReadTzTarball(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                           TzTable* table);

// A folder of the extracted release: `readFile` gives the bytes of one of its
// files by name, false when there is none; `folderName` names the folder in
// messages.
using TzFolderReader = std::function<bool(std::wstring_view name, std::string* bytes)>;
std::optional<TzSourceError> ReadTzFolder(const TzFolderReader& readFile, std::wstring_view folderName,
                                          TzTable* table);

// A single tzdata.zi (its version from its "# version" line).
std::optional<TzSourceError> ReadTzDataZi(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                          TzTable* table);

// A tarball (by its gzip magic) or else a tzdata.zi.
std::optional<TzSourceError> ReadTzReleaseFile(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                               TzTable* table);

} // namespace tarvane
