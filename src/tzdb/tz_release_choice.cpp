#include "tzdb/tz_release_choice.h"

#include "platform/sha256.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_release.h"

#include <algorithm>
#include <map>

namespace tarvane {
namespace {

// The zone's offsets over the compared years: the one in force at `from`
// (its daylight flag left out: both sides are read alike), then each change of offset or daylight flag (a
// transition that changes neither, such as a new abbreviation, is no change a clock sees).
std::vector<TzChange> Course(const TzZone& zone, std::int64_t from, std::int64_t to) {
    std::vector<TzChange> course;
    course.push_back(TzChange{from, TzOffsetAt(zone, from), false});
    for (const TzChange& change : TzChangesBetween(zone, from, to)) {
        if (change.offset != course.back().offset || change.daylight != course.back().daylight) {
            course.push_back(change);
        }
    }
    return course;
}

bool SameCourse(const TzZone& a, const TzZone& b, std::int64_t from, std::int64_t to) {
    const std::vector<TzChange> first = Course(a, from, to);
    const std::vector<TzChange> second = Course(b, from, to);
    return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                      [](const TzChange& x, const TzChange& y) {
                          return x.time == y.time && x.offset == y.offset && x.daylight == y.daylight;
                      });
}

bool IsHexDigest(const std::wstring& text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](wchar_t c) {
               return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
           });
}

std::wstring BaseName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsReleaseMember(std::wstring_view name) {
    return name == L"version" ||
           std::find(kTzReleaseSources.begin(), kTzReleaseSources.end(), name) != kTzReleaseSources.end();
}

} // namespace

TzReleaseChanges CompareTzReleases(const TzTable& inUse, const TzTable& candidate, int firstYear) {
    // The year as any clock on Earth starts it: 14 hours ahead of UTC at most.
    const std::int64_t from = CivilDay(firstYear, 1, 1) - 14 * 3600;
    const std::int64_t to = CivilDay(kLastComparedYear + 1, 1, 1);
    std::map<std::wstring_view, const TzZone*> old;
    for (const auto& [name, zone] : inUse.names) {
        if (zone < inUse.zones.size()) {
            old.emplace(name, &inUse.zones[zone]);
        }
    }
    TzReleaseChanges changes;
    for (const auto& [name, zone] : candidate.names) {
        const auto before = old.find(name);
        if (before == old.end()) {
            changes.added.push_back(name);
            continue;
        }
        if (zone >= candidate.zones.size() || !SameCourse(*before->second, candidate.zones[zone], from, to)) {
            changes.changed.push_back(name);
        }
        old.erase(before);
    }
    for (const auto& [name, zone] : inUse.names) {
        if (old.count(name) != 0) {
            changes.removed.push_back(name);
        }
    }
    return changes;
}

TzReleaseReadResult ReadTzReleaseAt(const TzReleaseFiles& files, const std::wstring& path, TzTable* table,
                                    std::wstring* sha256, TzSourceError* error) {
    int kind = files.kind(path);
    std::wstring folder = path;
    if (kind == 1 && IsReleaseMember(BaseName(path)) && files.kind(FolderOf(path)) == 2) {
        folder = FolderOf(path);
        kind = 2;
    }
    if (kind == 0) {
        return TzReleaseReadResult::kMissing;
    }
    Sha256 hash;
    TzTable read;
    std::optional<TzSourceError> refused;
    if (kind == 1) {
        std::string bytes;
        if (!files.read(path, &bytes)) {
            return TzReleaseReadResult::kUnreadable;
        }
        hash.Update(bytes);
        refused = ReadTzReleaseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), BaseName(path),
                                    &read);
    } else {
        const std::wstring separator = folder.find(L'\\') != std::wstring::npos ? L"\\" : L"/";
        refused = ReadTzFolder(
            [&](std::wstring_view name, std::string* bytes) {
                const std::wstring file = folder + separator + std::wstring(name);
                if (files.kind(file) != 1 || !files.read(file, bytes)) {
                    return false;
                }
                const std::string label =
                    std::string(name.begin(), name.end()) + "\n" + std::to_string(bytes->size()) + "\n";
                hash.Update(label);
                hash.Update(*bytes);
                return true;
            },
            BaseName(folder), &read);
    }
    if (refused) {
        *error = *refused;
        return TzReleaseReadResult::kRefused;
    }
    *sha256 = Sha256Text(hash.Finish());
    *table = std::move(read);
    return TzReleaseReadResult::kRead;
}

std::wstring TzSourceErrorText(const TzSourceError& error) {
    if (error.file.empty()) {
        return error.reason;
    }
    std::wstring text = error.file;
    if (error.line > 0) {
        text += L", line " + std::to_wstring(error.line);
    }
    return text + L": " + error.reason;
}

TzRecallState RecallTzRelease(const RememberedTzRelease& remembered, const TzReleaseFiles& files,
                              TzTable* table, TzSourceError* error) {
    if (remembered.path.empty() || remembered.version.empty() || !IsHexDigest(remembered.sha256)) {
        *error = TzSourceError{L"", 0, L"the settings hold no whole record of it"};
        return TzRecallState::kDamaged;
    }
    TzTable read;
    std::wstring sha256;
    TzSourceError refused;
    switch (ReadTzReleaseAt(files, remembered.path, &read, &sha256, &refused)) {
    case TzReleaseReadResult::kMissing:
    case TzReleaseReadResult::kUnreadable:
        return TzRecallState::kGone;
    case TzReleaseReadResult::kRefused:
        *error = refused;
        return TzRecallState::kDamaged;
    case TzReleaseReadResult::kRead:
        break;
    }
    if (sha256 != remembered.sha256 || read.version != remembered.version) {
        return TzRecallState::kChanged;
    }
    *table = std::move(read);
    return TzRecallState::kFine;
}

} // namespace tarvane
