#include "backup/import_scope.h"

#include "backup/registry_export.h"

#include <string_view>
#include <vector>

namespace tarvane {
namespace {

constexpr std::wstring_view kAllowedInformationKey =
    L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr std::wstring_view kAllowedZonesKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

bool IsBlank(wchar_t ch) {
    return ch == L' ' || ch == L'\t';
}

// Case-insensitive for ASCII letters only: the allowed names are ASCII, and a
// name that matches them only through some other folding is not let through.
bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i];
        wchar_t y = b[i];
        if (x >= L'a' && x <= L'z') {
            x = static_cast<wchar_t>(x - L'a' + L'A');
        }
        if (y >= L'a' && y <= L'z') {
            y = static_cast<wchar_t>(y - L'a' + L'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

bool AllowedKey(std::wstring_view key) {
    if (EqualAsciiNoCase(key, kAllowedInformationKey) || EqualAsciiNoCase(key, kAllowedZonesKey)) {
        return true;
    }
    return key.size() > kAllowedZonesKey.size() + 1 &&
           EqualAsciiNoCase(key.substr(0, kAllowedZonesKey.size()), kAllowedZonesKey) &&
           key[kAllowedZonesKey.size()] == L'\\';
}

std::size_t SkipBlanks(std::wstring_view line, std::size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) {
        ++pos;
    }
    return pos;
}

// A key line: "[" then the key up to the last "]" on the line.
bool KeyLineAllowed(std::wstring_view line) {
    std::wstring_view key = line.substr(1);
    const std::size_t close = key.rfind(L']');
    if (close != std::wstring_view::npos) {
        key = key.substr(0, close);
    }
    return AllowedKey(key);
}

// A value line ("@=..." or "\"name\"=..."): deletes its value when the data
// begins with "-". Where the name holds a quote or backslash, the reading of
// its end depends on escapes and code pages, so then any "=" followed by "-"
// counts; "=" and "-" are never part of a multi-byte character.
bool ValueLineDeletes(std::wstring_view line) {
    std::size_t pos = std::wstring_view::npos;
    if (line[0] == L'@') {
        pos = SkipBlanks(line, 1);
    } else {
        const std::size_t close = line.find(L'"', 1);
        if (close != std::wstring_view::npos &&
            line.substr(1, close - 1).find(L'\\') == std::wstring_view::npos) {
            pos = SkipBlanks(line, close + 1);
        }
    }
    if (pos != std::wstring_view::npos && pos < line.size() && line[pos] == L'=') {
        pos = SkipBlanks(line, pos + 1);
        return pos < line.size() && line[pos] == L'-';
    }
    for (std::size_t equals = line.find(L'='); equals != std::wstring_view::npos;
         equals = line.find(L'=', equals + 1)) {
        const std::size_t after = SkipBlanks(line, equals + 1);
        if (after < line.size() && line[after] == L'-') {
            return true;
        }
    }
    return false;
}

std::wstring Trimmed(std::wstring_view line) {
    std::size_t begin = SkipBlanks(line, 0);
    std::size_t end = line.size();
    while (end > begin && IsBlank(line[end - 1])) {
        --end;
    }
    return std::wstring(line.substr(begin, end - begin));
}

bool CheckLines(const std::wstring& text, std::wstring_view breaks, std::wstring* offending) {
    std::vector<std::wstring_view> lines;
    const std::wstring_view all = text;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = all.find_first_of(breaks, start);
        lines.push_back(
            all.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos) {
            break;
        }
        start = end + 1;
    }
    const std::wstring first = Trimmed(lines[0]);
    if (first != kRegistryFileHeader && first != L"REGEDIT4") {
        *offending = first;
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::wstring_view line = lines[i].substr(SkipBlanks(lines[i], 0));
        if (line.empty()) {
            continue;
        }
        const bool bad = line[0] == L'[' ? !KeyLineAllowed(line)
                                         : (line[0] == L'@' || line[0] == L'"') && ValueLineDeletes(line);
        if (bad) {
            *offending = Trimmed(line);
            return false;
        }
    }
    return true;
}

} // namespace

bool CheckImportScope(const std::wstring& text, std::wstring* offending) {
    offending->clear();
    // Read once with every NUL and carriage return as a line end, and once
    // with them left out, so that a tool that does either sees no line that
    // was not checked.
    static constexpr wchar_t kAllBreaks[] = {L'\r', L'\n', L'\0'};
    if (!CheckLines(text, std::wstring_view(kAllBreaks, 3), offending)) {
        return false;
    }
    std::wstring joined;
    joined.reserve(text.size());
    for (wchar_t ch : text) {
        if (ch != L'\0' && ch != L'\r') {
            joined.push_back(ch);
        }
    }
    return CheckLines(joined, L"\n", offending);
}

} // namespace tarvane
