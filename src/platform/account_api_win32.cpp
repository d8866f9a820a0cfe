#include "platform/account_api.h"

#include <sddl.h>
#include <wtsapi32.h>

#include <string>

namespace tarvane {
namespace {

constexpr DWORD kNameCapacity = 260;

// wtsapi32.dll is loaded on first use, by its full path in the system folder:
// imported statically, or by its bare name, it would be looked for beside the
// program first, and a DLL placed there would run in an elevated copy.
struct SessionCalls {
    using QueryFn = BOOL(WINAPI*)(HANDLE server, DWORD session, WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                  DWORD* bytes);
    using FreeFn = void(WINAPI*)(PVOID memory);
    QueryFn query = nullptr;
    FreeFn free = nullptr;
};

const SessionCalls& TheSessionCalls() {
    static const SessionCalls calls = [] {
        SessionCalls found;
        wchar_t folder[MAX_PATH + 1] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return found;
        }
        const std::wstring path = std::wstring(folder, length) + L"\\wtsapi32.dll";
        // Kept for the life of the process, as an import would be.
        HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (module == nullptr) {
            return found;
        }
        found.query = reinterpret_cast<SessionCalls::QueryFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "WTSQuerySessionInformationW")));
        found.free = reinterpret_cast<SessionCalls::FreeFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "WTSFreeMemory")));
        if (found.query == nullptr || found.free == nullptr) {
            found = SessionCalls{};
        }
        return found;
    }();
    return calls;
}

class SystemAccounts : public AccountApi {
public:
    bool CurrentSessionId(DWORD* session) override {
        return ::ProcessIdToSessionId(::GetCurrentProcessId(), session) != FALSE;
    }

    bool OpenProcessToken(Token* token) override {
        HANDLE handle = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &handle)) {
            return false;
        }
        *token = reinterpret_cast<Token>(handle);
        return true;
    }

    void CloseToken(Token token) override { ::CloseHandle(reinterpret_cast<HANDLE>(token)); }

    DWORD TokenUserSize(Token token) override {
        DWORD size = 0;
        ::GetTokenInformation(reinterpret_cast<HANDLE>(token), TokenUser, nullptr, 0, &size);
        return size;
    }

    bool ReadTokenUser(Token token, BYTE* buffer, DWORD size) override {
        DWORD needed = 0;
        return ::GetTokenInformation(reinterpret_cast<HANDLE>(token), TokenUser, buffer, size, &needed) !=
               FALSE;
    }

    bool LookupTokenAccount(const BYTE* tokenUser, std::wstring* account, std::wstring* domain) override {
        const auto* user = reinterpret_cast<const TOKEN_USER*>(tokenUser);
        wchar_t accountBuffer[kNameCapacity] = {};
        wchar_t domainBuffer[kNameCapacity] = {};
        DWORD accountLength = kNameCapacity;
        DWORD domainLength = kNameCapacity;
        SID_NAME_USE use = SidTypeUnknown;
        if (!::LookupAccountSidW(nullptr, user->User.Sid, accountBuffer, &accountLength, domainBuffer,
                                 &domainLength, &use)) {
            return false;
        }
        accountBuffer[kNameCapacity - 1] = L'\0';
        domainBuffer[kNameCapacity - 1] = L'\0';
        *account = accountBuffer;
        *domain = domainBuffer;
        return true;
    }

    bool QuerySessionText(DWORD session, SessionText kind, std::wstring* text) override {
        LPWSTR block = nullptr;
        DWORD bytes = 0;
        const WTS_INFO_CLASS infoClass = kind == SessionText::DomainName ? WTSDomainName : WTSUserName;
        const SessionCalls& calls = TheSessionCalls();
        if (calls.query == nullptr) {
            ::SetLastError(ERROR_PROC_NOT_FOUND);
            return false;
        }
        if (!calls.query(WTS_CURRENT_SERVER_HANDLE, session, infoClass, &block, &bytes)) {
            return false;
        }
        // The block holds a terminated text; never read past its size.
        const std::size_t units = bytes / sizeof(wchar_t);
        std::size_t length = 0;
        while (block != nullptr && length < units && block[length] != L'\0') {
            ++length;
        }
        text->assign(block != nullptr ? block : L"", length);
        calls.free(block);
        return true;
    }

    bool AccountNameSizes(const std::wstring& name, DWORD* sidSize, DWORD* domainSize) override {
        *sidSize = 0;
        *domainSize = 0;
        SID_NAME_USE use = SidTypeUnknown;
        ::LookupAccountNameW(nullptr, name.c_str(), nullptr, sidSize, nullptr, domainSize, &use);
        return *sidSize != 0;
    }

    bool LookupAccountName(const std::wstring& name, BYTE* sid, DWORD sidSize, wchar_t* domain,
                           DWORD domainSize) override {
        SID_NAME_USE use = SidTypeUnknown;
        return ::LookupAccountNameW(nullptr, name.c_str(), sid, &sidSize, domain, &domainSize, &use) != FALSE;
    }

    bool SidToText(const BYTE* sid, std::wstring* text, bool* gotText) override {
        LPWSTR converted = nullptr;
        if (!::ConvertSidToStringSidW(const_cast<BYTE*>(sid), &converted)) {
            return false;
        }
        *gotText = converted != nullptr;
        if (converted != nullptr) {
            *text = converted;
            ::LocalFree(converted);
        }
        return true;
    }
};

} // namespace

AccountApi& SystemAccountApi() {
    static SystemAccounts accounts;
    return accounts;
}

} // namespace tarvane
