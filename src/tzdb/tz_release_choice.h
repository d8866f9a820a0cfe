// Choosing the tz release the program uses: what a release changes against
// the one in use, the built-in CLDR mapping carried over to it, and a release
// the user chose earlier read again and recognised by its content. Pure: the
// files are read through functions the caller gives.
#pragma once

#include "tzdb/tz_source.h"
#include "tzdb/tz_table.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// The last year whose changes the comparison looks at.
inline constexpr int kLastComparedYear = 2100;

// What taking `candidate` instead of the release in use changes.
struct TzReleaseChanges {
    // Names (zones and links, in the candidate's order) in both whose offsets
    // or changes from the start of the first year to the end of
    // kLastComparedYear differ.
    std::vector<std::wstring> changed;
    std::vector<std::wstring> added;   // only in the candidate
    std::vector<std::wstring> removed; // only in the release in use
};

TzReleaseChanges CompareTzReleases(const TzTable& inUse, const TzTable& candidate, int firstYear);

// Where a release is read from: `kind` says what the path is (0 nothing,
// 1 a file, 2 a folder); `read` gives a file's bytes, false when it cannot.
struct TzReleaseFiles {
    std::function<int(const std::wstring& path)> kind;
    std::function<bool(const std::wstring& path, std::string* bytes)> read;
};

// How the release at a path was read.
enum class TzReleaseReadResult { kRead, kMissing, kUnreadable, kRefused };

// Reads the release at `path`: a tarball or a tzdata.zi, or a folder of
// extracted files; a file of such a folder (its version file or one of its
// sources) stands for the folder. `sha256` receives the digest of the bytes
// read (of a folder: each file read, by name and size, then its bytes). On
// kRefused `error` tells why; `table` changes only on kRead.
TzReleaseReadResult ReadTzReleaseAt(const TzReleaseFiles& files, const std::wstring& path, TzTable* table,
                                    std::wstring* sha256, TzSourceError* error);

// "northamerica, line 12: <reason>", "<file>: <reason>" when no line is to
// blame, or the reason alone when no file is.
std::wstring TzSourceErrorText(const TzSourceError& error);

// The release the user chose, as the settings remember it.
struct RememberedTzRelease {
    std::wstring path;
    std::wstring version;
    std::wstring sha256;
};

enum class TzRecallState { kFine, kGone, kChanged, kDamaged };

// The remembered release read again: kFine with `table` set when it is the
// same release (same digest and version); kGone when the path holds nothing
// or nothing readable, kChanged when its bytes differ, kDamaged when the
// remembered values are malformed or the bytes no longer compile (`error`).
TzRecallState RecallTzRelease(const RememberedTzRelease& remembered, const TzReleaseFiles& files,
                              TzTable* table, TzSourceError* error);

} // namespace tarvane
