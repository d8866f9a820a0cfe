// The seam to the system's account and session queries that the settings
// store needs to tell the interactive user from the process's own user. Each
// call mirrors one Win32 call and leaves its error in the thread's last-error
// slot; tests replace the whole seam with a fake.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvane {

// The system's case-insensitive comparison of account names: true with the
// order (below, equal or above zero) in `order`; false with the last error set
// (50 when no comparison is available, 87 when a text is missing).
using NameCompareFn = std::function<bool(const wchar_t* a, const wchar_t* b, int* order)>;

enum class SessionText { DomainName, UserName };

class AccountApi {
public:
    using Token = std::uintptr_t;

    virtual ~AccountApi() = default;

    // ProcessIdToSessionId for the current process.
    virtual bool CurrentSessionId(DWORD* session) = 0;
    // OpenProcessToken of the current process with TOKEN_QUERY.
    virtual bool OpenProcessToken(Token* token) = 0;
    virtual void CloseToken(Token token) = 0;
    // GetTokenInformation(TokenUser) without a buffer: the size it asks for,
    // 0 when it gives none.
    virtual DWORD TokenUserSize(Token token) = 0;
    // GetTokenInformation(TokenUser) into `buffer`.
    virtual bool ReadTokenUser(Token token, BYTE* buffer, DWORD size) = 0;
    // LookupAccountSidW (local system) for the SID of the TOKEN_USER record in
    // `tokenUser`, into buffers of 260 characters each.
    virtual bool LookupTokenAccount(const BYTE* tokenUser, std::wstring* account, std::wstring* domain) = 0;
    // WTSQuerySessionInformationW on the current server; the system's block
    // is freed before the call returns.
    virtual bool QuerySessionText(DWORD session, SessionText kind, std::wstring* text) = 0;
    // LookupAccountNameW (local system) without buffers: the sizes it asks for
    // (the SID's in bytes, the domain's in characters). False when the SID
    // size is 0.
    virtual bool AccountNameSizes(const std::wstring& name, DWORD* sidSize, DWORD* domainSize) = 0;
    // LookupAccountNameW (local system) into buffers of the given sizes.
    virtual bool LookupAccountName(const std::wstring& name, BYTE* sid, DWORD sidSize, wchar_t* domain,
                                   DWORD domainSize) = 0;
    // ConvertSidToStringSidW; `gotText` is false when the call succeeded
    // without giving a text.
    virtual bool SidToText(const BYTE* sid, std::wstring* text, bool* gotText) = 0;
};

#ifdef _WIN32
// The running system's accounts and sessions.
AccountApi& SystemAccountApi();
#endif

} // namespace tarvane
