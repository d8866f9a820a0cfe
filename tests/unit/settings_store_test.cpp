#include "platform/settings_store.h"

#include "log_capture.h"
#include "platform/last_error.h"
#include "fakes/memory_registry.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>

namespace tarvane::test {
namespace {

// Accounts and sessions as a test sets them up; `failAt` makes the call of
// that step fail with `error`.
class FakeAccounts : public AccountApi {
public:
    enum class Step {
        None,
        SessionId,
        OpenToken,
        TokenSize,
        ReadToken,
        LookupSid,
        SessionDomain,
        SessionUser,
        NameSizes,
        LookupName,
        SidToText
    };

    bool CurrentSessionId(DWORD* session) override {
        *session = 3;
        return Pass(Step::SessionId);
    }
    bool OpenProcessToken(Token* token) override {
        if (!Pass(Step::OpenToken)) {
            return false;
        }
        *token = 77;
        ++openTokens;
        return true;
    }
    void CloseToken(Token token) override {
        EXPECT_EQ(token, 77u);
        --openTokens;
        SetThreadLastError(0);
    }
    DWORD TokenUserSize(Token) override { return Pass(Step::TokenSize) ? 16 : 0; }
    bool ReadTokenUser(Token, BYTE* buffer, DWORD size) override {
        EXPECT_EQ(size, 16u);
        std::memset(buffer, 0x5A, size);
        return Pass(Step::ReadToken);
    }
    bool LookupTokenAccount(const BYTE* tokenUser, std::wstring* account, std::wstring* domain) override {
        EXPECT_EQ(tokenUser[0], 0x5A);
        *account = tokenAccount;
        *domain = tokenDomain;
        return Pass(Step::LookupSid);
    }
    bool QuerySessionText(DWORD session, SessionText kind, std::wstring* text) override {
        EXPECT_EQ(session, 3u);
        if (kind == SessionText::DomainName) {
            *text = sessionDomain;
            return Pass(Step::SessionDomain);
        }
        *text = sessionUser;
        return Pass(Step::SessionUser);
    }
    bool AccountNameSizes(const std::wstring& name, DWORD* sidSize, DWORD* domainSize) override {
        lookedUp = name;
        *sidSize = Pass(Step::NameSizes) ? 12 : 0;
        *domainSize = 8;
        return *sidSize != 0;
    }
    bool LookupAccountName(const std::wstring&, BYTE* sid, DWORD sidSize, wchar_t*, DWORD) override {
        std::memset(sid, 0x11, sidSize);
        return Pass(Step::LookupName);
    }
    bool SidToText(const BYTE* sid, std::wstring* text, bool* gotText) override {
        EXPECT_EQ(sid[11], 0x11);
        *gotText = !sidWithoutText;
        if (*gotText) {
            *text = sidText;
        }
        return Pass(Step::SidToText);
    }

    Step failAt = Step::None;
    DWORD error = 1332; // ERROR_NONE_MAPPED
    std::wstring tokenAccount = L"Ada";
    std::wstring tokenDomain = L"LAB";
    std::wstring sessionDomain = L"LAB";
    std::wstring sessionUser = L"Ada";
    std::wstring sidText = L"S-1-5-21-1-2-3-1001";
    bool sidWithoutText = false;
    std::wstring lookedUp;
    int openTokens = 0;

private:
    bool Pass(Step step) {
        if (step == failAt) {
            SetThreadLastError(error);
            return false;
        }
        SetThreadLastError(0);
        return true;
    }
};

// Case-insensitive, as the system's comparison is.
bool FoldedCompare(const wchar_t* a, const wchar_t* b, int* order) {
    if (a == nullptr || b == nullptr) {
        SetThreadLastError(87);
        return false;
    }
    std::wstring x(a);
    std::wstring y(b);
    for (auto* text : {&x, &y}) {
        for (auto& c : *text) {
            c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        }
    }
    *order = x.compare(y);
    return true;
}

const std::wstring kPath = L"Software\\Tarvane Labs\\Tarvane\\Settings";

class InteractiveUser : public ::testing::Test {
protected:
    int Compare() { return CompareInteractiveUser(accounts, FoldedCompare, &name, &code); }

    FakeAccounts accounts;
    std::wstring name = L"untouched";
    int code = -5;
};

TEST_F(InteractiveUser, SameUserInOtherLetterCaseCountsAsTheSameUser) {
    accounts.sessionDomain = L"lab";
    accounts.sessionUser = L"ADA";
    EXPECT_EQ(Compare(), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(name, L"lab\\ADA");
    EXPECT_EQ(accounts.openTokens, 0);
}

TEST_F(InteractiveUser, OtherUserOrOtherDomainIsADifferentUser) {
    accounts.sessionUser = L"Grace";
    EXPECT_EQ(Compare(), 0);
    EXPECT_EQ(name, L"LAB\\Grace");
    accounts.sessionUser = L"Ada";
    accounts.sessionDomain = L"ELSEWHERE";
    EXPECT_EQ(Compare(), 0);
    EXPECT_EQ(code, 0);
}

TEST_F(InteractiveUser, EachFailingStepHasItsOwnCodeAndKeepsTheSystemError) {
    using Step = FakeAccounts::Step;
    const std::pair<Step, int> cases[] = {
        {Step::SessionId, 194}, {Step::OpenToken, 193},     {Step::TokenSize, 192},  {Step::ReadToken, 190},
        {Step::LookupSid, 189}, {Step::SessionDomain, 188}, {Step::SessionUser, 186}};
    for (const auto& [step, expected] : cases) {
        accounts.failAt = step;
        EXPECT_EQ(Compare(), -1) << expected;
        EXPECT_EQ(code, expected);
        EXPECT_EQ(GetThreadLastError(), 1332u) << expected;
        EXPECT_EQ(accounts.openTokens, 0) << expected;
    }
}

TEST_F(InteractiveUser, EmptySessionNamesFailWithSourceElementEmpty) {
    accounts.sessionDomain.clear();
    EXPECT_EQ(Compare(), -1);
    EXPECT_EQ(code, 187);
    EXPECT_EQ(GetThreadLastError(), 1160u);
    accounts.sessionDomain = L"LAB";
    accounts.sessionUser.clear();
    EXPECT_EQ(Compare(), -1);
    EXPECT_EQ(code, 185);
    EXPECT_EQ(GetThreadLastError(), 1160u);
    EXPECT_EQ(accounts.openTokens, 0);
}

TEST_F(InteractiveUser, MissingComparisonFailsTheDomainStepWithNotSupported) {
    EXPECT_EQ(CompareInteractiveUser(accounts, NameCompareFn(), &name, &code), -1);
    EXPECT_EQ(code, 184);
    EXPECT_EQ(GetThreadLastError(), 50u);
    EXPECT_EQ(name, L"LAB\\Ada");
}

TEST_F(InteractiveUser, FailingUserComparisonHasItsOwnCode) {
    int calls = 0;
    auto secondFails = [&calls](const wchar_t* a, const wchar_t* b, int* order) {
        if (++calls == 2) {
            SetThreadLastError(87);
            return false;
        }
        return FoldedCompare(a, b, order);
    };
    EXPECT_EQ(CompareInteractiveUser(accounts, secondFails, &name, &code), -1);
    EXPECT_EQ(code, 183);
    EXPECT_EQ(GetThreadLastError(), 87u);
}

TEST(LookupUserSid, GivesTheSidTextOfTheName) {
    FakeAccounts accounts;
    std::wstring sid;
    ASSERT_TRUE(LookupUserSid(accounts, L"LAB\\Grace", &sid));
    EXPECT_EQ(sid, L"S-1-5-21-1-2-3-1001");
    EXPECT_EQ(accounts.lookedUp, L"LAB\\Grace");
}

TEST(LookupUserSid, FailuresLeaveTheirErrors) {
    FakeAccounts accounts;
    std::wstring sid = L"kept";
    EXPECT_FALSE(LookupUserSid(accounts, L"", &sid));
    EXPECT_EQ(GetThreadLastError(), 87u);
    for (auto step :
         {FakeAccounts::Step::NameSizes, FakeAccounts::Step::LookupName, FakeAccounts::Step::SidToText}) {
        accounts.failAt = step;
        EXPECT_FALSE(LookupUserSid(accounts, L"LAB\\Grace", &sid));
        EXPECT_EQ(GetThreadLastError(), 1332u);
    }
    accounts.failAt = FakeAccounts::Step::None;
    accounts.sidWithoutText = true;
    EXPECT_FALSE(LookupUserSid(accounts, L"LAB\\Grace", &sid));
    EXPECT_EQ(GetThreadLastError(), 9u);
    EXPECT_EQ(sid, L"kept");
}

class Location : public ::testing::Test {
protected:
    bool Compute() { return ComputeSettingsLocation(accounts, FoldedCompare, &location); }

    FakeAccounts accounts;
    SettingsLocation location{kHkeyUsers, L"stale"};
    LogCapture capture;
};

TEST_F(Location, PerUserPathJoinsMakerApplicationAndSection) {
    EXPECT_EQ(PerUserSettingsPath(), kPath);
}

TEST_F(Location, SameUserUsesTheCurrentUsersKeyWithoutLogging) {
    EXPECT_FALSE(Compute());
    EXPECT_EQ(location.root, kHkeyCurrentUser);
    EXPECT_EQ(location.path, kPath);
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
}

TEST_F(Location, ElevatedForAnotherUserUsesTheInteractiveUsersHive) {
    accounts.tokenAccount = L"Administrator";
    EXPECT_TRUE(Compute());
    EXPECT_EQ(location.root, kHkeyUsers);
    EXPECT_EQ(location.path, L"S-1-5-21-1-2-3-1001\\" + kPath);
    EXPECT_EQ(accounts.lookedUp, L"LAB\\Ada");
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
}

TEST_F(Location, UnknownSidOfTheInteractiveUserFallsBackAndLogs196) {
    accounts.tokenAccount = L"Administrator";
    accounts.failAt = FakeAccounts::Step::LookupName;
    EXPECT_FALSE(Compute());
    EXPECT_EQ(location.root, kHkeyCurrentUser);
    EXPECT_EQ(location.path, kPath);
    EXPECT_EQ(capture.LastErrorOf(L"[196] usr=\"LAB\\Ada\""), 1332) << capture.Dump();
}

TEST_F(Location, FailedAccountQueryFallsBackAndLogs195WithTheStepCode) {
    accounts.failAt = FakeAccounts::Step::SessionDomain;
    EXPECT_FALSE(Compute());
    EXPECT_EQ(location.root, kHkeyCurrentUser);
    EXPECT_EQ(location.path, kPath);
    EXPECT_EQ(capture.LastErrorOf(L"[195] r=-1, specErr=188"), 1332) << capture.Dump();
    EXPECT_EQ(capture.events.size(), 1u);
}

class BackupSavedOnce : public ::testing::Test {
protected:
    int Read() { return ReadBackupSavedOnce(registry, kHkeyUsers, kUserPath); }

    const std::wstring kUserPath = L"S-1-5-21-7\\" + kPath;
    const std::wstring kFullPath = L"HKEY_USERS\\" + kUserPath;
    MemoryRegistry registry;
};

TEST_F(BackupSavedOnce, MissingKeyOrValueIsAbsent) {
    EXPECT_EQ(Read(), kBackupSavedAbsent);
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    registry.PutKey(kFullPath);
    EXPECT_EQ(Read(), kBackupSavedAbsent);
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(BackupSavedOnce, AnyNonEmptyValueIsPresentWhateverItsTypeOrContent) {
    registry.PutDword(kFullPath, L"BackupSavedOnce", 0);
    EXPECT_EQ(Read(), kBackupSavedPresent);
    EXPECT_EQ(GetThreadLastError(), ERROR_MORE_DATA);
    registry.PutString(kFullPath, L"BackupSavedOnce", L"no");
    EXPECT_EQ(Read(), kBackupSavedPresent);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(BackupSavedOnce, EmptyValueIsUndetermined) {
    registry.PutValue(kFullPath, L"BackupSavedOnce", REG_BINARY, {});
    EXPECT_EQ(Read(), kBackupSavedUndetermined);
    EXPECT_EQ(GetThreadLastError(), 0u);
}

TEST_F(BackupSavedOnce, OtherFailuresAreUndeterminedWithTheirError) {
    registry.PutDword(kFullPath, L"BackupSavedOnce", 1);
    registry.InjectFault(RegFault(RegOp::Open, kFullPath).Error(ERROR_ACCESS_DENIED).Times(1));
    EXPECT_EQ(Read(), kBackupSavedUndetermined);
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
    registry.InjectFault(RegFault(RegOp::QueryValue, kFullPath).Error(ERROR_INVALID_HANDLE).Times(1));
    EXPECT_EQ(Read(), kBackupSavedUndetermined);
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(BackupSavedOnce, WriteCreatesTheKeyWithTheDwordOne) {
    ASSERT_TRUE(WriteBackupSavedOnce(registry, kHkeyUsers, kUserPath));
    EXPECT_EQ(GetThreadLastError(), 0u);
    const auto value = registry.GetValue(kFullPath, L"BackupSavedOnce");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, REG_DWORD);
    EXPECT_EQ(value->data, (std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_EQ(Read(), kBackupSavedPresent);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(BackupSavedOnce, WriteReportsTheFailingCall) {
    registry.InjectFault(RegFault(RegOp::Create, kFullPath).Error(ERROR_ACCESS_DENIED).Times(1));
    EXPECT_FALSE(WriteBackupSavedOnce(registry, kHkeyUsers, kUserPath));
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
    registry.InjectFault(RegFault(RegOp::SetValue, kFullPath).Error(ERROR_GEN_FAILURE).Times(1));
    EXPECT_FALSE(WriteBackupSavedOnce(registry, kHkeyUsers, kUserPath));
    EXPECT_EQ(GetThreadLastError(), ERROR_GEN_FAILURE);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

class AllowEdit : public ::testing::Test {
protected:
    const std::wstring kFullPath = L"HKEY_CURRENT_USER\\" + kPath;
    MemoryRegistry registry;
};

TEST_F(AllowEdit, FirstStartsWriteBackCreatesTheValueWithTheDefault) {
    EXPECT_EQ(ReadAllowEditDSTzNames(registry), 0);
    ASSERT_TRUE(WriteAllowEditDSTzNames(registry, ReadAllowEditDSTzNames(registry)));
    const auto value = registry.GetValue(kFullPath, L"AllowEditDSTzNames");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, REG_DWORD);
    EXPECT_EQ(value->data, (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(AllowEdit, ReadsTheDwordAsASignedNumber) {
    registry.PutDword(kFullPath, L"AllowEditDSTzNames", 0xFFFFFFFF);
    EXPECT_EQ(ReadAllowEditDSTzNames(registry), -1);
    registry.PutDword(kFullPath, L"AllowEditDSTzNames", 1);
    EXPECT_EQ(ReadAllowEditDSTzNames(registry), 1);
}

TEST_F(AllowEdit, UnreadableValuesGiveTheDefault) {
    registry.PutString(kFullPath, L"AllowEditDSTzNames", L"1");
    EXPECT_EQ(ReadAllowEditDSTzNames(registry), 0);
    registry.PutDword(kFullPath, L"AllowEditDSTzNames", 1);
    registry.InjectFault(RegFault(RegOp::Create, kFullPath).Error(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadAllowEditDSTzNames(registry), 0);
    EXPECT_FALSE(WriteAllowEditDSTzNames(registry, 1));
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

} // namespace
} // namespace tarvane::test
