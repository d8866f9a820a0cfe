#include "platform/environment.h"

#include "platform/last_error.h"

#include <cstdlib>
#include <new>
#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kFirstSize = 512;
constexpr DWORD kGrowth = 256;
constexpr DWORD kErrorInsufficientBuffer = 122;

} // namespace

bool ExpandEnvironmentText(const wchar_t* text, std::wstring* expanded, bool isLegacyOs) {
    if (text == nullptr || expanded == nullptr) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (*text == L'\0') {
        expanded->clear();
        SetThreadLastError(0);
        return true;
    }
    const DWORD limit = isLegacyOs ? 32768 : 65536;
    DWORD recorded = 0;
    for (DWORD size = kFirstSize; size < limit; size += kGrowth) {
        std::vector<wchar_t> buffer;
        try {
            buffer.assign(size, L'\0');
        } catch (const std::bad_alloc&) {
            SetThreadLastError(recorded);
            return false;
        }
        const DWORD needed = ExpandEnvironmentStringsInto(text, buffer.data(), size);
        // A result that did not fit may have been cut: only a whole one counts.
        if (needed != 0 && needed <= size && buffer[0] != L'\0') {
            buffer[size - 1] = L'\0';
            expanded->assign(buffer.data());
            SetThreadLastError(0);
            return true;
        }
        recorded = needed == 0 ? GetThreadLastError() : kErrorInsufficientBuffer;
    }
    SetThreadLastError(recorded);
    return false;
}

#ifndef _WIN32
// Windows' rules: %NAME% of a defined variable is replaced by its value; any
// other text, an undefined %NAME% included, stays as it is.
DWORD ExpandEnvironmentStringsInto(const wchar_t* text, wchar_t* buffer, DWORD size) {
    std::wstring result;
    const std::wstring source(text);
    std::size_t at = 0;
    while (at < source.size()) {
        const std::size_t open = source.find(L'%', at);
        const std::size_t close = open == std::wstring::npos ? open : source.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            result.append(source, at, std::wstring::npos);
            break;
        }
        result.append(source, at, open - at);
        const std::wstring name = source.substr(open + 1, close - open - 1);
        std::string narrow;
        for (wchar_t ch : name) {
            narrow.push_back(static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?');
        }
        const char* value = name.empty() ? nullptr : std::getenv(narrow.c_str());
        if (value == nullptr) {
            result.append(source, open, close - open + 1);
        } else {
            for (const char* p = value; *p != '\0'; ++p) {
                result.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
            }
        }
        at = close + 1;
    }
    const auto needed = static_cast<DWORD>(result.size() + 1);
    if (needed <= size) {
        result.copy(buffer, result.size());
        buffer[result.size()] = L'\0';
    }
    return needed;
}
#endif

} // namespace tarvane
