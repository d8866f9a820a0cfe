// The application object, its ready event and the settings store on the real
// system.
#include "log_capture.h"
#include "platform/account_api.h"
#include "platform/ready_event.h"
#include "platform/settings_store.h"
#include "platform/system_facts.h"
#include "platform/system_registry.h"
#include "shell/tarvane_app.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

namespace tarvane::test {
namespace {

using shell::TheApp;

bool Signalled(HANDLE event) {
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

std::wstring DescriptorText(PSECURITY_DESCRIPTOR descriptor) {
    LPWSTR text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &text,
            nullptr)) {
        return L"<" + std::to_wstring(::GetLastError()) + L">";
    }
    std::wstring result(text);
    ::LocalFree(text);
    return result;
}

std::wstring ProbePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L"\\/") + 1) + L"tarvane_app_probe.exe";
}

TEST(AppObject, StartsWithExitCodeMinusOneAndAnEmptyStartRequest) {
    shell::CTarvaneApp& app = shell::BuildProcessObjects();
    EXPECT_EQ(&app, &TheApp());
    EXPECT_EQ(app.exitCode, -1);
    EXPECT_EQ(app.mainWindow, nullptr);
    EXPECT_EQ(app.startAction, StartAction::kNone);
    EXPECT_TRUE(app.startRestorePath.empty());
    EXPECT_TRUE(app.startZoneKey.empty());
    EXPECT_TRUE(app.startBackupPath.empty());
    const SystemFacts facts = ReadSystemFacts();
    EXPECT_EQ(app.isLegacyOs, facts.isLegacyOs);
    EXPECT_EQ(app.is64BitOs, facts.is64BitOs);
}

TEST(AppObject, QuitEventIsManualResetAndStartsUnsignalled) {
    HANDLE quit = TheApp().quitEvent.Get();
    ASSERT_NE(quit, nullptr);
    EXPECT_FALSE(Signalled(quit));
    ASSERT_TRUE(::SetEvent(quit));
    EXPECT_TRUE(Signalled(quit));
    EXPECT_TRUE(Signalled(quit)) << "a wait must not use the signal up";
    ::ResetEvent(quit);
}

TEST(AppObject, NameComparisonIgnoresLetterCase) {
    const shell::CTarvaneApp& app = TheApp();
    ASSERT_NE(app.nameCompare, nullptr);
    int order = 7;
    ASSERT_TRUE(app.CompareNames(L"WORKGROUP", L"workGroup", &order));
    EXPECT_EQ(order, 0);
    ASSERT_TRUE(app.CompareNames(L"Ada", L"Grace", &order));
    EXPECT_LT(order, 0);
    EXPECT_FALSE(app.CompareNames(nullptr, L"x", &order));
    EXPECT_EQ(::GetLastError(), 87u);
}

TEST(AppObject, WithoutTheSystemComparisonEveryComparisonFailsWithNotSupported) {
    int order = 0;
    EXPECT_FALSE(shell::CompareNamesWith(nullptr, L"a", L"a", &order));
    EXPECT_EQ(::GetLastError(), 50u);
    EXPECT_FALSE(shell::CompareNamesWith(nullptr, nullptr, nullptr, &order));
    EXPECT_EQ(::GetLastError(), 50u);
}

TEST(ReadyEvent, OwnEventIsSignalledUnderTheSessionName) {
    ASSERT_NE(TheApp().readyEvent.Get(), nullptr);
    const std::wstring name = ReadyEventName(::GetCurrentProcessId());
    HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr) << ::GetLastError();
    EXPECT_TRUE(Signalled(event));
    ::CloseHandle(event);
}

// The mandatory label of the descriptor's SACL: "S-1-16-<level>", or empty.
std::wstring IntegrityLabel(PSECURITY_DESCRIPTOR descriptor) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL sacl = nullptr;
    if (!::GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted) || !present ||
        sacl == nullptr) {
        return std::wstring();
    }
    for (DWORD index = 0; index < sacl->AceCount; ++index) {
        void* ace = nullptr;
        if (::GetAce(sacl, index, &ace) &&
            static_cast<ACE_HEADER*>(ace)->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
            auto* label = static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
            LPWSTR text = nullptr;
            if (::ConvertSidToStringSidW(&label->SidStart, &text)) {
                std::wstring result(text);
                ::LocalFree(text);
                return result;
            }
        }
    }
    return std::wstring();
}

TEST(ReadyEvent, DescriptorGrantsWaitAndSignalAndIsLabelledUntrustedAboveVersion5) {
    PSECURITY_DESCRIPTOR modern = shell::BuildOpenSecurityDescriptor(6);
    ASSERT_NE(modern, nullptr) << ::GetLastError();
    const std::wstring text = DescriptorText(modern);
    EXPECT_EQ(text.substr(0, text.find(L"S:")), L"D:(A;;0x100002;;;WD)(A;;0x100002;;;AN)");
    EXPECT_EQ(IntegrityLabel(modern), L"S-1-16-0");
    ::LocalFree(modern);
    PSECURITY_DESCRIPTOR legacy = shell::BuildOpenSecurityDescriptor(5);
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(DescriptorText(legacy), L"D:(A;;0x100002;;;WD)(A;;0x100002;;;AN)");
    EXPECT_EQ(IntegrityLabel(legacy), L"");
    ::LocalFree(legacy);
}

TEST(ReadyEvent, AnotherProcessSeesTheCopySignalItsEvent) {
    std::wstring command = L"\"" + ProbePath() + L"\" wait";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process))
        << ::GetLastError();

    // The parent's side of the hand-shake: create or open by the copy's id, wait.
    PSECURITY_DESCRIPTOR descriptor = shell::BuildOpenSecurityDescriptor();
    ASSERT_NE(descriptor, nullptr);
    HANDLE ready = shell::CreateReadyEvent(process.dwProcessId, descriptor);
    ::LocalFree(descriptor);
    ASSERT_NE(ready, nullptr) << ::GetLastError();
    EXPECT_EQ(::WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(Signalled(ready)) << "the signal stays for every waiter";

    // Neither side can change the event's access list through the handle.
    EXPECT_NE(::SetSecurityInfo(ready, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));

    ::CloseHandle(ready);
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

// HKEY_CURRENT_USER redirected to a fresh key for the life of the object.
class ScratchCurrentUser {
public:
    ScratchCurrentUser() {
        path_ = L"Software\\TarvaneTests\\User-" + std::to_wstring(::GetCurrentProcessId());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr) == ERROR_SUCCESS) {
            ok_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
        }
    }
    ~ScratchCurrentUser() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    ScratchCurrentUser(const ScratchCurrentUser&) = delete;
    ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;
    bool Ok() const { return ok_; }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
    bool ok_ = false;
};

TEST(SettingsOnWine, TheInteractiveUserIsTheProcessUserSoTheLocationIsTheCurrentUser) {
    std::wstring name;
    int code = -1;
    const int same = CompareInteractiveUser(SystemAccountApi(), TheApp().NameComparison(), &name, &code);
    EXPECT_EQ(same, 1) << "code " << code << ", error " << ::GetLastError();
    LogCapture capture;
    SettingsLocation location;
    EXPECT_FALSE(ComputeSettingsLocation(SystemAccountApi(), TheApp().NameComparison(), &location));
    EXPECT_EQ(location.root, kHkeyCurrentUser);
    EXPECT_EQ(location.path, L"Software\\Tarvane Labs\\Tarvane\\Settings");
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
}

TEST(SettingsOnWine, LookupUserSidFindsTheProcessUser) {
    std::wstring name;
    int code = 0;
    ASSERT_EQ(CompareInteractiveUser(SystemAccountApi(), TheApp().NameComparison(), &name, &code), 1);
    std::wstring sid;
    ASSERT_TRUE(LookupUserSid(SystemAccountApi(), name, &sid)) << ::GetLastError();
    EXPECT_EQ(sid.rfind(L"S-1-5-", 0), 0u) << sid;
    EXPECT_FALSE(LookupUserSid(SystemAccountApi(), L"", &sid));
    EXPECT_EQ(::GetLastError(), 87u);
}

TEST(SettingsOnWine, BackupSavedOnceIsAbsentPresentOrUndetermined) {
    ScratchCurrentUser scratch;
    ASSERT_TRUE(scratch.Ok());
    RegistryApi& registry = SystemRegistry();
    const std::wstring path = PerUserSettingsPath();
    EXPECT_EQ(ReadBackupSavedOnce(registry, kHkeyCurrentUser, path), kBackupSavedAbsent);

    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadBackupSavedOnce(registry, kHkeyCurrentUser, path), kBackupSavedAbsent);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_EQ(::RegSetValueExW(key, L"BackupSavedOnce", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadBackupSavedOnce(registry, kHkeyCurrentUser, path), kBackupSavedUndetermined);

    ASSERT_EQ(::RegDeleteValueW(key, L"BackupSavedOnce"), ERROR_SUCCESS);
    ASSERT_TRUE(WriteBackupSavedOnce(registry, kHkeyCurrentUser, path));
    EXPECT_EQ(ReadBackupSavedOnce(registry, kHkeyCurrentUser, path), kBackupSavedPresent);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(
        ::RegQueryValueExW(key, L"BackupSavedOnce", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    ::RegCloseKey(key);
}

TEST(SettingsOnWine, FirstStartWriteBackCreatesAllowEditDSTzNames) {
    ScratchCurrentUser scratch;
    ASSERT_TRUE(scratch.Ok());
    RegistryApi& registry = SystemRegistry();
    const int allow = ReadAllowEditDSTzNames(registry);
    EXPECT_EQ(allow, 0);
    ASSERT_TRUE(WriteAllowEditDSTzNames(registry, allow));
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tarvane Labs\\Tarvane\\Settings", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    DWORD type = 0;
    DWORD value = 99;
    DWORD size = sizeof value;
    EXPECT_EQ(::RegQueryValueExW(key, L"AllowEditDSTzNames", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                 &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0u);
    ::RegCloseKey(key);
}

} // namespace
} // namespace tarvane::test
