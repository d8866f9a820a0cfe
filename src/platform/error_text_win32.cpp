#include "platform/error_text.h"

#include "platform/last_error.h"
#include "platform/system_folders.h"

namespace tarvane {
namespace {

constexpr DWORD kFirstWinInetError = 12000;
constexpr DWORD kLastWinInetError = 12175;
constexpr DWORD kNeutralDefaultLanguage = 0x400;

// FormatMessageW's text, freed at once; empty when there is none.
std::wstring FormatFrom(DWORD source, HMODULE module, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(source | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, module,
                         code, kNeutralDefaultLanguage, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    return text;
}

} // namespace

std::wstring GetErrorText(DWORD code) {
    const LastErrorKeeper keep;
    if (code == 0) {
        return std::wstring();
    }
    std::wstring raw;
    if (code >= kFirstWinInetError && code <= kLastWinInetError) {
        // From the system folder only: never a wininet.dll planted next to the program.
        if (HMODULE wininet = ::LoadLibraryW((GetSystemFolder() + L"wininet.dll").c_str());
            wininet != nullptr) {
            raw = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, wininet, code);
            ::FreeLibrary(wininet);
        }
    } else {
        raw = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    }
    return CleanErrorText(raw, code);
}

} // namespace tarvane
