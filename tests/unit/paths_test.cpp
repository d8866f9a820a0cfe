#include "platform/paths.h"

#include <gtest/gtest.h>

namespace tarvane {
namespace {

TEST(WithTrailingSeparator, AddsTheSeparatorThePathAlreadyUses) {
    EXPECT_EQ(WithTrailingSeparator(L"C:\\Windows\\system32"), L"C:\\Windows\\system32\\");
    EXPECT_EQ(WithTrailingSeparator(L"C:/Windows/system32"), L"C:/Windows/system32/");
    EXPECT_EQ(WithTrailingSeparator(L"C:/mixed\\last"), L"C:/mixed\\last\\");
    EXPECT_EQ(WithTrailingSeparator(L"C:"), L"C:\\");
}

TEST(WithTrailingSeparator, LeavesEmptyAndTerminatedPathsAlone) {
    EXPECT_EQ(WithTrailingSeparator(L""), L"");
    EXPECT_EQ(WithTrailingSeparator(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithTrailingSeparator(L"/tmp/"), L"/tmp/");
}

} // namespace
} // namespace tarvane
