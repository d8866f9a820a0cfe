#include "platform/settings_store.h"

#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/paths.h"

#include <new>
#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kErrorNotEnoughMemory = 8;
constexpr DWORD kErrorInvalidBlock = 9;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorNotSupported = 50;
constexpr DWORD kErrorSourceElementEmpty = 1160;
constexpr DWORD kErrorMoreData = 234;
constexpr REGSAM kProfileAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

// Closes the token on every path without touching the caller's last error.
class TokenHolder {
public:
    explicit TokenHolder(AccountApi& accounts) : accounts_(accounts) {}
    ~TokenHolder() {
        if (open_) {
            LastErrorKeeper keep;
            accounts_.CloseToken(token_);
        }
    }
    TokenHolder(const TokenHolder&) = delete;
    TokenHolder& operator=(const TokenHolder&) = delete;

    bool Open() {
        open_ = accounts_.OpenProcessToken(&token_);
        return open_;
    }
    AccountApi::Token Get() const { return token_; }

private:
    AccountApi& accounts_;
    AccountApi::Token token_ = 0;
    bool open_ = false;
};

template <typename T> bool Allocate(std::vector<T>& buffer, DWORD count) {
    try {
        buffer.assign(count, T{});
        return true;
    } catch (const std::bad_alloc&) {
        SetThreadLastError(kErrorNotEnoughMemory);
        return false;
    }
}

bool CompareNames(const NameCompareFn& nameCompare, const std::wstring& a, const std::wstring& b,
                  int* order) {
    if (!nameCompare) {
        SetThreadLastError(kErrorNotSupported);
        return false;
    }
    return nameCompare(a.c_str(), b.c_str(), order);
}

} // namespace

std::wstring PerUserSettingsPath() {
    return Format(L"Software\\%s\\%s\\%s%s", kMakerKeyWord, kApplicationName, kSettingsSection, L"");
}

int CompareInteractiveUser(AccountApi& accounts, const NameCompareFn& nameCompare,
                           std::wstring* qualifiedName, int* specificError) {
    int unusedCode = 0;
    int& code = specificError ? *specificError : unusedCode;
    code = 0;
    auto fail = [&code](int step) {
        code = step;
        return -1;
    };

    DWORD session = 0;
    if (!accounts.CurrentSessionId(&session)) {
        return fail(194);
    }
    TokenHolder token(accounts);
    if (!token.Open()) {
        return fail(193);
    }
    const DWORD size = accounts.TokenUserSize(token.Get());
    if (size == 0) {
        return fail(192);
    }
    std::vector<BYTE> tokenUser;
    if (!Allocate(tokenUser, size)) {
        return fail(191);
    }
    if (!accounts.ReadTokenUser(token.Get(), tokenUser.data(), size)) {
        return fail(190);
    }
    std::wstring account;
    std::wstring domain;
    if (!accounts.LookupTokenAccount(tokenUser.data(), &account, &domain)) {
        return fail(189);
    }
    std::wstring sessionDomain;
    if (!accounts.QuerySessionText(session, SessionText::DomainName, &sessionDomain)) {
        return fail(188);
    }
    if (sessionDomain.empty()) {
        SetThreadLastError(kErrorSourceElementEmpty);
        return fail(187);
    }
    std::wstring sessionUser;
    if (!accounts.QuerySessionText(session, SessionText::UserName, &sessionUser)) {
        return fail(186);
    }
    if (sessionUser.empty()) {
        SetThreadLastError(kErrorSourceElementEmpty);
        return fail(185);
    }

    if (qualifiedName != nullptr) {
        *qualifiedName = Format(L"%s\\%s", sessionDomain, sessionUser);
    }
    int domainOrder = 0;
    if (!CompareNames(nameCompare, sessionDomain, domain, &domainOrder)) {
        return fail(184);
    }
    int userOrder = 0;
    if (!CompareNames(nameCompare, sessionUser, account, &userOrder)) {
        return fail(183);
    }
    SetThreadLastError(0);
    return domainOrder == 0 && userOrder == 0 ? 1 : 0;
}

bool LookupUserSid(AccountApi& accounts, const std::wstring& name, std::wstring* sid) {
    if (name.empty() || sid == nullptr) {
        SetThreadLastError(kErrorInvalidParameter);
        return false;
    }
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    if (!accounts.AccountNameSizes(name, &sidSize, &domainSize) || sidSize == 0) {
        return false;
    }
    std::vector<BYTE> sidBuffer;
    std::vector<wchar_t> domain;
    if (!Allocate(sidBuffer, sidSize) || !Allocate(domain, domainSize + 1)) {
        return false;
    }
    if (!accounts.LookupAccountName(name, sidBuffer.data(), sidSize, domain.data(), domainSize + 1)) {
        return false;
    }
    std::wstring text;
    bool gotText = false;
    if (!accounts.SidToText(sidBuffer.data(), &text, &gotText)) {
        return false;
    }
    if (!gotText) {
        SetThreadLastError(kErrorInvalidBlock);
        return false;
    }
    *sid = std::move(text);
    SetThreadLastError(0);
    return true;
}

bool ComputeSettingsLocation(AccountApi& accounts, const NameCompareFn& nameCompare,
                             SettingsLocation* location) {
    std::wstring user;
    int specificError = 0;
    const int r = CompareInteractiveUser(accounts, nameCompare, &user, &specificError);
    if (r == 0) {
        std::wstring sid;
        if (LookupUserSid(accounts, user, &sid)) {
            location->root = kHkeyUsers;
            location->path = WithTrailingSeparator(sid) + PerUserSettingsPath();
            return true;
        }
        LogMessage(L"[196] usr=\"%s\"", user);
    } else if (r == -1) {
        LogMessage(L"[195] r=%d, specErr=%d", r, specificError);
    }
    location->root = kHkeyCurrentUser;
    location->path = PerUserSettingsPath();
    return false;
}

int ReadBackupSavedOnce(RegistryApi& registry, RegHandle root, std::wstring_view path) {
    RegKey key(registry);
    LONG result = key.Open(root, path, KEY_READ);
    if (result != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(result));
        return result == static_cast<LONG>(ERROR_FILE_NOT_FOUND) ||
                       result == static_cast<LONG>(ERROR_PATH_NOT_FOUND)
                   ? kBackupSavedAbsent
                   : kBackupSavedUndetermined;
    }
    // A data buffer of size 0 tells an empty value (success) from one with
    // content (more data); only content counts as present.
    BYTE probe = 0;
    DWORD size = 0;
    result = key.QueryValue(kBackupSavedOnceValue, nullptr, &probe, &size);
    key.Close();
    SetThreadLastError(static_cast<DWORD>(result));
    if (result == static_cast<LONG>(kErrorMoreData)) {
        return kBackupSavedPresent;
    }
    if (result == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        return kBackupSavedAbsent;
    }
    return kBackupSavedUndetermined;
}

bool WriteBackupSavedOnce(RegistryApi& registry, RegHandle root, std::wstring_view path) {
    RegKey key(registry);
    LONG result = key.Create(root, path, KEY_WRITE);
    if (result != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(result));
        return false;
    }
    result = key.SetDword(kBackupSavedOnceValue, 1);
    key.Close();
    SetThreadLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

namespace {

std::wstring ProfileSectionPath(std::wstring_view section) {
    return Format(L"Software\\%s\\%s\\%s", kMakerKeyWord, kApplicationName, section);
}

} // namespace

int GetProfileInt(RegistryApi& registry, std::wstring_view section, std::wstring_view entry,
                  int defaultValue) {
    RegKey key(registry);
    if (key.Create(kHkeyCurrentUser, ProfileSectionPath(section), kProfileAccess) != ERROR_SUCCESS) {
        return defaultValue;
    }
    BYTE data[4] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof data;
    if (key.QueryValue(entry, &type, data, &size) != ERROR_SUCCESS || type != REG_DWORD ||
        size != sizeof data) {
        return defaultValue;
    }
    return static_cast<int>(static_cast<LONG>(ReadDwordLe(data)));
}

bool WriteProfileInt(RegistryApi& registry, std::wstring_view section, std::wstring_view entry, int value) {
    RegKey key(registry);
    LONG result = key.Create(kHkeyCurrentUser, ProfileSectionPath(section), kProfileAccess);
    if (result == ERROR_SUCCESS) {
        result = key.SetDword(entry, static_cast<DWORD>(value));
    }
    SetThreadLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

int ReadAllowEditDSTzNames(RegistryApi& registry) {
    return GetProfileInt(registry, kSettingsSection, kAllowEditDSTzNamesValue, 0);
}

bool WriteAllowEditDSTzNames(RegistryApi& registry, int value) {
    return WriteProfileInt(registry, kSettingsSection, kAllowEditDSTzNamesValue, value);
}

} // namespace tarvane
