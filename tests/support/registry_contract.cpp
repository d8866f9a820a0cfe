#include "registry_contract.h"

#include "platform/text.h"

#include <algorithm>

namespace tarvane::test {

void RegistryContract::SetUp() {
    target = GetParam()();
    api = &target->Api();
    base = target->BasePath();
}

void RegistryContract::TearDown() {
    target.reset();
}

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
    std::vector<BYTE> bytes;
    for (int value : values) {
        bytes.push_back(static_cast<BYTE>(value));
    }
    return bytes;
}

} // namespace

TEST_P(RegistryContract, OpenReportsAMissingKeyAsFileNotFound) {
    RegKey key(*api);
    EXPECT_EQ(key.Open(kHkeyLocalMachine, base + L"\\Missing", KEY_READ),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(key.Valid());
}

TEST_P(RegistryContract, CreateMakesTheKeyOnceAndThenOpensIt) {
    RegKey key(*api);
    DWORD disposition = 0;
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base + L"\\Made\\Deeper", KEY_READ | KEY_SET_VALUE, &disposition),
              0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegKey again(*api);
    ASSERT_EQ(again.Create(kHkeyLocalMachine, base + L"\\made\\DEEPER", KEY_READ, &disposition), 0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegKey opened(*api);
    EXPECT_EQ(opened.Open(kHkeyLocalMachine, base + L"\\Made\\Deeper", KEY_READ), 0);
}

TEST_P(RegistryContract, QueryValueProbesSizeAndTypeThenReads) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE), 0);
    const auto data = Bytes({1, 2, 3, 4, 5, 6});
    ASSERT_EQ(key.SetValue(L"Blob", REG_BINARY, data.data(), 6), 0);

    DWORD type = 0;
    DWORD size = 0;
    BYTE none = 0;
    EXPECT_EQ(key.QueryValue(L"Blob", &type, &none, &size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 6u);

    size = 0;
    EXPECT_EQ(key.QueryValue(L"Blob", &type, nullptr, &size), 0);
    EXPECT_EQ(size, 6u);

    BYTE buffer[8] = {};
    size = sizeof buffer;
    EXPECT_EQ(key.QueryValue(L"blob", &type, buffer, &size), 0);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 6), data);

    size = 4;
    EXPECT_EQ(key.QueryValue(L"Blob", &type, buffer, &size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 6u);
}

TEST_P(RegistryContract, AnEmptyValueAnswersAZeroSizedProbeWithSuccess) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE), 0);
    BYTE none = 0;
    ASSERT_EQ(key.SetValue(L"Empty", REG_BINARY, &none, 0), 0);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(key.QueryValue(L"Empty", &type, &none, &size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(key.QueryValue(L"Absent", &type, &none, &size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_P(RegistryContract, TheEmptyNameIsTheDefaultValue) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE), 0);
    ASSERT_EQ(key.SetString(L"", L"default"), 0);
    DWORD type = 0;
    BYTE buffer[64] = {};
    DWORD size = sizeof buffer;
    ASSERT_EQ(key.QueryValue(L"", &type, buffer, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(FromUtf16Le(buffer, size / 2), std::wstring(L"default", 8));
}

TEST_P(RegistryContract, EnumKeyListsSubkeysAndEndsWithNoMoreItems) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_CREATE_SUB_KEY), 0);
    for (const wchar_t* name : {L"Beta", L"alpha", L"Gamma Long Name"}) {
        RegKey child(*api);
        ASSERT_EQ(child.Create(key.Handle(), name, KEY_READ), 0);
    }
    std::vector<std::wstring> names;
    RegistryKeyIterator it(*api, key.Handle());
    while (it.Next()) {
        names.push_back(it.Name());
    }
    EXPECT_EQ(it.Result(), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Beta", L"Gamma Long Name", L"alpha"}));

    std::wstring name;
    EXPECT_EQ(api->EnumKey(key.Handle(), 0, 3, &name), static_cast<LONG>(ERROR_MORE_DATA));
}

TEST_P(RegistryContract, EnumValueGivesNamesTypesAndData) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE), 0);
    ASSERT_EQ(key.SetDword(L"Second", 60), 0);
    ASSERT_EQ(key.SetString(L"First", L"x"), 0);

    std::vector<std::wstring> names;
    std::vector<DWORD> types;
    for (DWORD index = 0;; ++index) {
        std::wstring name;
        DWORD type = 0;
        BYTE data[16] = {};
        DWORD size = sizeof data;
        const LONG result = api->EnumValue(key.Handle(), index, 64, &name, &type, data, &size);
        if (result == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            break;
        }
        ASSERT_EQ(result, 0);
        names.push_back(name);
        types.push_back(type);
        if (name == L"Second") {
            EXPECT_EQ(size, 4u);
            EXPECT_EQ(ReadDwordLe(data), 60u);
        }
    }
    // Windows keeps values in creation order, Wine in name order: callers sort if they care.
    ASSERT_EQ(names.size(), 2u);
    const std::size_t second = names[0] == L"Second" ? 0 : 1;
    EXPECT_EQ(names[1 - second], L"First");
    EXPECT_EQ(types[second], REG_DWORD);
    EXPECT_EQ(types[1 - second], REG_SZ);

    std::wstring name;
    DWORD size = 1;
    BYTE small[1] = {};
    EXPECT_EQ(api->EnumValue(key.Handle(), 1, 64, &name, nullptr, small, &size),
              static_cast<LONG>(ERROR_MORE_DATA));
}

TEST_P(RegistryContract, QueryInfoKeyReportsTheLongestNameAndData) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY), 0);
    const std::vector<BYTE> data(44, 7);
    ASSERT_EQ(key.SetValue(L"TZI", REG_BINARY, data.data(), 44), 0);
    ASSERT_EQ(key.SetString(L"A longer name", L"abc"), 0);
    RegKey child(*api);
    ASSERT_EQ(child.Create(key.Handle(), L"Dynamic DST", KEY_READ), 0);
    RegKeyInfo info;
    ASSERT_EQ(key.QueryInfo(&info), 0);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.subKeys, 1u);
    EXPECT_EQ(info.maxValueNameLength, 13u);
    EXPECT_EQ(info.maxValueDataLength, 44u);
    EXPECT_EQ(info.maxSubKeyLength, 11u);
}

TEST_P(RegistryContract, DeleteValueAndDeleteKeyReportWhatIsMissing) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY), 0);
    ASSERT_EQ(key.SetDword(L"2007", 1), 0);
    EXPECT_EQ(key.DeleteValue(L"2007"), 0);
    EXPECT_EQ(key.DeleteValue(L"2007"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    {
        RegKey child(*api);
        ASSERT_EQ(child.Create(key.Handle(), L"Parent\\Child", KEY_READ), 0);
    }
    EXPECT_NE(api->DeleteKey(key.Handle(), L"Parent"), 0) << "a key with subkeys is not deleted";
    EXPECT_EQ(api->DeleteKey(key.Handle(), L"Parent\\Child"), 0);
    EXPECT_EQ(api->DeleteKey(key.Handle(), L"Parent"), 0);
    EXPECT_EQ(api->DeleteKey(key.Handle(), L"Parent"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    RegKey gone(*api);
    EXPECT_EQ(gone.Open(key.Handle(), L"Parent", KEY_READ), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_P(RegistryContract, AKeyOpenedForReadingRefusesWrites) {
    {
        RegKey make(*api);
        ASSERT_EQ(make.Create(kHkeyLocalMachine, base, KEY_READ), 0);
    }
    RegKey key(*api);
    ASSERT_EQ(key.Open(kHkeyLocalMachine, base, KEY_READ), 0);
    EXPECT_EQ(key.SetDword(L"x", 1), static_cast<LONG>(ERROR_ACCESS_DENIED));
}

// A name cut at its NUL would name another key or value: every call refuses it.
TEST_P(RegistryContract, ANameWithAnEmbeddedNulIsRefused) {
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base + L"\\Zone", KEY_READ | KEY_SET_VALUE), 0);
    const BYTE one = 1;
    ASSERT_EQ(key.SetValue(L"TZI", REG_BINARY, &one, 1), 0);
    const std::wstring nulName(L"TZI\0x", 5);
    RegKey other(*api);
    EXPECT_EQ(other.Open(kHkeyLocalMachine, base + std::wstring(L"\\Zone\0x", 7), KEY_READ),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(other.OpenNoLink(kHkeyLocalMachine, base + std::wstring(L"\\Zone\0x", 7), KEY_READ),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(other.Create(kHkeyLocalMachine, base + std::wstring(L"\\New\0x", 6), KEY_READ),
              ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(RegKey(*api).Open(kHkeyLocalMachine, base + L"\\New", KEY_READ) == 0) << "nothing was made";
    EXPECT_EQ(key.QueryValue(nulName, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key.SetValue(nulName, REG_BINARY, &one, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key.DeleteValue(nulName), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(api->DeleteKey(key.Handle(), std::wstring(L"x\0y", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key.QueryValue(L"TZI", nullptr, nullptr, nullptr), 0)
        << "the value the cut name would hit stays";
}

TEST_P(RegistryContract, DeleteKeyExRemovesALeafKey) {
    if (!api->HasDeleteKeyEx()) {
        GTEST_SKIP() << "RegDeleteKeyExW is not available";
    }
    RegKey key(*api);
    ASSERT_EQ(key.Create(kHkeyLocalMachine, base, KEY_READ | KEY_CREATE_SUB_KEY), 0);
    {
        RegKey child(*api);
        ASSERT_EQ(child.Create(key.Handle(), L"Dynamic DST", KEY_READ), 0);
    }
    EXPECT_EQ(api->DeleteKeyEx(key.Handle(), L"Dynamic DST", kOwnRegistryView), 0);
    EXPECT_EQ(api->DeleteKeyEx(key.Handle(), L"Dynamic DST", kOwnRegistryView),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

} // namespace tarvane::test
