#include "backup/backup_file.h"

#include "backup/code_page.h"
#include "platform/last_error.h"
#include "platform/text.h"

#include <memory>
#include <new>

namespace tarvane {
namespace {

bool Fail(DWORD code) {
    SetThreadLastError(code);
    return false;
}

bool StartsWith(const std::vector<BYTE>& bytes, std::initializer_list<BYTE> mark) {
    if (bytes.size() < mark.size()) {
        return false;
    }
    std::size_t i = 0;
    for (BYTE byte : mark) {
        if (bytes[i++] != byte) {
            return false;
        }
    }
    return true;
}

std::wstring CutAtNul(std::wstring text) {
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
        text.resize(nul);
    }
    return text;
}

} // namespace

bool LoadFileBytes(FileApi& files, const std::wstring& path, std::vector<BYTE>* bytes, ReadSharing sharing) {
    bytes->clear();
    const FileHolder file(files, sharing == ReadSharing::DenyWriters ? files.OpenDenyingWriters(path)
                                                                     : files.OpenExisting(path));
    if (file.Get() == 0) {
        const DWORD error = GetThreadLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            SetThreadLastError(ERROR_FILE_NOT_FOUND);
            return true;
        }
        return Fail(error);
    }
    ULONGLONG size = 0;
    if (!files.GetSize(file.Get(), &size)) {
        return Fail(GetThreadLastError());
    }
    if ((size >> 32) != 0 || static_cast<DWORD>(size) >= 0xFFFFFFF8u) {
        return Fail(ERROR_BAD_LENGTH);
    }
    const auto length = static_cast<DWORD>(size);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[static_cast<std::size_t>(length) + 8]);
    if (!buffer) {
        return Fail(ERROR_OUTOFMEMORY);
    }
    DWORD done = 0;
    if (!files.Read(file.Get(), buffer.get(), length, &done) || done < length) {
        return Fail(GetThreadLastError());
    }
    bytes->assign(buffer.get(), buffer.get() + length);
    SetThreadLastError(0);
    return true;
}

bool DecodeBackupText(const std::vector<BYTE>& bytes, bool stopAtNul, std::wstring* text) {
    text->clear();
    std::size_t skip = 0;
    UINT codePage = kAnsiCodePage;
    bool utf16 = false;
    bool bigEndian = false;
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        codePage = kUtf8CodePage;
        skip = 3;
    } else if (StartsWith(bytes, {0x0E, 0xFE, 0xFF})) {
        return Fail(ERROR_NOT_SUPPORTED);
    } else if (StartsWith(bytes, {0xFE, 0xFF})) {
        utf16 = bigEndian = true;
        skip = 2;
    } else if (StartsWith(bytes, {0xFF, 0xFE})) {
        utf16 = true;
        skip = 2;
    } else if (StartsWith(bytes, {0x00, 0x00, 0xFE, 0xFF})) {
        return Fail(ERROR_NOT_SUPPORTED);
    }
    const std::size_t remaining = bytes.size() - skip;
    if (utf16) {
        std::vector<BYTE> units(bytes.begin() + static_cast<std::ptrdiff_t>(skip),
                                bytes.begin() + static_cast<std::ptrdiff_t>(skip + remaining / 2 * 2));
        if (bigEndian) {
            for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
                std::swap(units[i], units[i + 1]);
            }
        }
        *text = FromUtf16Le(units.data(), units.size() / 2);
    } else if (remaining != 0) {
        if (!DecodeCodePage(codePage, bytes.data() + skip, remaining, text)) {
            const DWORD error = GetThreadLastError();
            text->clear();
            return Fail(error);
        }
    }
    if (stopAtNul) {
        *text = CutAtNul(std::move(*text));
    }
    SetThreadLastError(0);
    return true;
}

bool LoadTextFile(FileApi& files, const std::wstring& path, std::wstring& text) {
    text.clear();
    std::vector<BYTE> bytes;
    if (!LoadFileBytes(files, path, &bytes)) {
        return false;
    }
    if (bytes.empty() && GetThreadLastError() == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    return DecodeBackupText(bytes, true, &text);
}

bool FindBackupTimeZoneKey(const std::wstring& text, bool isLegacyOs, std::wstring& keyName) {
    keyName.clear();
    const std::wstring_view header = kTimeZoneInformationHeader;
    const std::wstring_view valueName = isLegacyOs ? L"\"StandardName\"" : L"\"TimeZoneKeyName\"";
    const std::size_t n = text.size();
    const std::wstring_view all = text;

    // The header line, ended by a line feed after any carriage returns.
    std::size_t lineFeed = std::wstring::npos;
    std::size_t pos = 0;
    while (lineFeed == std::wstring::npos) {
        pos = text.find(L'[', pos);
        if (pos == std::wstring::npos || n - pos < header.size()) {
            return false;
        }
        if (!EqualIgnoringCase(all.substr(pos, header.size()), header)) {
            ++pos;
            continue;
        }
        pos += header.size();
        while (pos < n && text[pos] == L'\r') {
            ++pos;
        }
        if (pos < n && text[pos] == L'\n') {
            lineFeed = pos;
        }
    }

    // Each following line start; `lineFeed` is always a line feed inside the text.
    while (true) {
        std::size_t start = lineFeed + 1;
        while (start < n && text[start] == L'\r') {
            ++start;
        }
        if (n - start < valueName.size()) {
            return false;
        }
        std::size_t resume = start + 1; // one past the point where the test failed
        if (EqualIgnoringCase(all.substr(start, valueName.size()), valueName)) {
            const std::size_t equals = start + valueName.size();
            resume = equals + 1;
            if (equals < n && text[equals] == L'=') {
                resume = equals + 2;
                if (equals + 1 < n && text[equals + 1] == L'"') {
                    std::wstring collected;
                    std::size_t q = equals + 2;
                    while (true) {
                        if (q >= n) {
                            return false; // the text ends inside the quoted value
                        }
                        const wchar_t ch = text[q];
                        if (ch == L'"') {
                            keyName = std::move(collected);
                            return true;
                        }
                        if (ch == L'\\') {
                            if (q + 1 >= n) {
                                return false;
                            }
                            collected.push_back(text[q + 1]);
                            q += 2;
                            continue;
                        }
                        if (ch == L'\r' || ch == L'\n') {
                            break;
                        }
                        collected.push_back(ch);
                        ++q;
                    }
                    resume = q + 1;
                }
            }
        }
        if (resume >= n) {
            return false;
        }
        lineFeed = text.find(L'\n', resume);
        if (lineFeed == std::wstring::npos) {
            return false;
        }
    }
}

bool ReadBackupTimeZoneKey(FileApi& files, bool isLegacyOs, const std::wstring& path, std::wstring& keyName) {
    keyName.clear();
    if (path.empty()) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::vector<BYTE> bytes;
    if (!LoadFileBytes(files, path, &bytes)) {
        return false;
    }
    return ReadBackupTimeZoneKey(bytes, isLegacyOs, keyName);
}

bool ReadBackupTimeZoneKey(const std::vector<BYTE>& bytes, bool isLegacyOs, std::wstring& keyName) {
    keyName.clear();
    std::wstring text;
    if (!DecodeBackupText(bytes, true, &text)) {
        return false;
    }
    const bool found = FindBackupTimeZoneKey(text, isLegacyOs, keyName);
    SetThreadLastError(0);
    return found;
}

} // namespace tarvane
