// The library search of the program's start, on the real loader: a library
// beside the program is found before the call and never after it. The call
// holds for the rest of the process, so it runs in a process of its own.
#include "platform/dll_search.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace tarvane::test {
namespace {

TEST(DllSearchOnWine, ALibraryBesideTheProgramIsNotLoadedOnceTheSystemFolderAloneIsSearched) {
    if (std::getenv("TARVANE_DLL_SEARCH_TEST") == nullptr) {
        GTEST_SKIP() << "changes how this process loads libraries: runs only in a process of its own";
    }
    HMODULE planted = ::LoadLibraryW(L"tarvane_planted.dll");
    ASSERT_NE(planted, nullptr) << "the planted library is beside the test program";
    ::FreeLibrary(planted);

    ASSERT_TRUE(LoadLibrariesFromSystemFolderOnly());
    EXPECT_EQ(::LoadLibraryW(L"tarvane_planted.dll"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    HMODULE system = ::LoadLibraryW(L"wtsapi32.dll");
    EXPECT_NE(system, nullptr) << "the system's own libraries still load";
    if (system != nullptr) {
        ::FreeLibrary(system);
    }
}

} // namespace
} // namespace tarvane::test
