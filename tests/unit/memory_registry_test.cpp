#include "fakes/memory_registry.h"

#include "registry_contract.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

struct MemoryRegistryUnderTest : RegistryUnderTest {
    MemoryRegistry registry;
    RegistryApi& Api() override { return registry; }
    std::wstring BasePath() override { return L"SOFTWARE\\TarvaneContract"; }
};

INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract, ::testing::Values(RegistryFactory([] {
                             return std::unique_ptr<RegistryUnderTest>(new MemoryRegistryUnderTest());
                         })),
                         [](const auto&) { return std::string("InMemory"); });

const std::wstring kKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

class MemoryRegistryFaults : public ::testing::Test {
protected:
    void SetUp() override {
        registry.PutDword(kKey, L"Number", 42);
        registry.PutString(kKey, L"Name", L"zone");
        ASSERT_EQ(key.Open(kHkeyLocalMachine, L"SOFTWARE\\Test", KEY_READ | KEY_SET_VALUE), 0);
    }

    LONG Query(const wchar_t* name, DWORD* type, DWORD* size) {
        BYTE buffer[64] = {};
        *size = sizeof buffer;
        return key.QueryValue(name, type, buffer, size);
    }

    MemoryRegistry registry;
    RegKey key{registry};
};

TEST_F(MemoryRegistryFaults, AnErrorFaultAppliesToItsValueOnly) {
    registry.InjectFault(
        RegFault(RegOp::QueryValue, kKey).Value(L"Number").Error(static_cast<LONG>(ERROR_ACCESS_DENIED)));
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(Query(L"Number", &type, &size), static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Query(L"Name", &type, &size), 0);
}

TEST_F(MemoryRegistryFaults, TypeAndSizeFaultsChangeWhatReadsSee) {
    RegFault fault = RegFault(RegOp::QueryValue, kKey).Value(L"Number");
    fault.type = REG_BINARY;
    fault.size = 2;
    registry.InjectFault(fault);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(Query(L"Number", &type, &size), 0);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 2u);
}

TEST_F(MemoryRegistryFaults, SkipAndTimesChooseWhichCallsFail) {
    RegFault fault = RegFault(RegOp::QueryValue, kKey).Value(L"Number").Error(31);
    fault.skip = 1;
    fault.times = 1;
    registry.InjectFault(fault);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(Query(L"Number", &type, &size), 0);
    EXPECT_EQ(Query(L"Number", &type, &size), 31);
    EXPECT_EQ(Query(L"Number", &type, &size), 0);
}

TEST_F(MemoryRegistryFaults, OpenCreateAndEnumerationFaultsMatchTheirKey) {
    registry.PutKey(kKey + L"\\Child");
    registry.InjectFault(RegFault(RegOp::Open, kKey + L"\\child").Error(5));
    RegKey child(registry);
    EXPECT_EQ(child.Open(key.Handle(), L"Child", KEY_READ), 5);
    registry.InjectFault(RegFault(RegOp::Create, kKey + L"\\New").Error(1021));
    EXPECT_EQ(child.Create(key.Handle(), L"New", KEY_READ), 1021);
    EXPECT_FALSE(registry.KeyExists(kKey + L"\\New"));
    registry.InjectFault(RegFault(RegOp::EnumKey, kKey).At(0u).Error(1));
    std::wstring name;
    EXPECT_EQ(registry.EnumKey(key.Handle(), 0, 260, &name), 1);
}

TEST_F(MemoryRegistryFaults, DeniedWritesRefuseOpeningForWritingButAllowReading) {
    registry.DenyWrite(kKey);
    RegKey other(registry);
    EXPECT_EQ(other.Open(kHkeyLocalMachine, L"SOFTWARE\\Test", KEY_READ | KEY_SET_VALUE),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(other.Open(kHkeyLocalMachine, L"SOFTWARE\\Test", KEY_READ), 0);
}

TEST_F(MemoryRegistryFaults, HandlesAreCountedUntilClosed) {
    EXPECT_EQ(registry.OpenHandleCount(), 1u);
    key.Close();
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
    EXPECT_EQ(registry.CloseKey(0x1234), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(MemoryRegistryFaults, AHandleToADeletedKeyReportsKeyDeleted) {
    registry.RemoveTree(kKey);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(Query(L"Number", &type, &size), static_cast<LONG>(ERROR_KEY_DELETED));
}

} // namespace
} // namespace tarvane::test
