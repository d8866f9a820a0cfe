// The real registry passes the same contract as the in-memory one.
#include "platform/system_registry.h"

#include "registry_contract.h"
#include "win32/scratch_registry.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

struct Win32RegistryUnderTest : RegistryUnderTest {
    ScratchLocalMachine scratch;
    RegistryApi& Api() override { return SystemRegistry(); }
    std::wstring BasePath() override { return L"SOFTWARE\\TarvaneContract"; }
};

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(RegistryFactory([] {
                             auto target = std::make_unique<Win32RegistryUnderTest>();
                             EXPECT_TRUE(target->scratch.Ok());
                             return std::unique_ptr<RegistryUnderTest>(std::move(target));
                         })),
                         [](const auto&) { return std::string("Win32"); });

TEST(ScratchLocalMachine, WritesNeverReachTheRealDatabase) {
    {
        ScratchLocalMachine scratch;
        ASSERT_TRUE(scratch.Ok());
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvaneScratchProbe", 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvaneScratchProbe", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

} // namespace
} // namespace tarvane::test
