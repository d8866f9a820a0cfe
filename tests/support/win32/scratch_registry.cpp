#include "win32/scratch_registry.h"

#include "platform/format.h"

namespace tarvane::test {
namespace {

int counter = 0;

} // namespace

ScratchLocalMachine::ScratchLocalMachine() {
    path_ = Format(L"Software\\TarvaneTests\\Scratch-%u-%d", ::GetCurrentProcessId(), ++counter);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    ok_ = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_) == ERROR_SUCCESS;
}

ScratchLocalMachine::~ScratchLocalMachine() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (key_ != nullptr) {
        ::RegCloseKey(key_);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

bool ScratchLocalMachine::CopyRealKey(const std::wstring& path, ScratchLocalMachine& into) {
    // Undo the redirection while reading the real key, then copy it over.
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    HKEY source = nullptr;
    LONG result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &source);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, into.key_);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    HKEY target = nullptr;
    result =
        ::RegCreateKeyExW(into.key_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
    if (result == ERROR_SUCCESS) {
        result = ::RegCopyTreeW(source, nullptr, target);
        ::RegCloseKey(target);
    }
    ::RegCloseKey(source);
    return result == ERROR_SUCCESS;
}

LONG RestrictToReading(const wchar_t* path, REGSAM extra) {
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC | READ_CONTROL, &key);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    SECURITY_DESCRIPTOR descriptor{};
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    BYTE aclBuffer[256] = {};
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
    ::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | extra, everyone);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    result = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    ::FreeSid(everyone);
    ::RegCloseKey(key);
    return result;
}

} // namespace tarvane::test
