#include "platform/format.h"

#include <gtest/gtest.h>

namespace tarvane {
namespace {

TEST(Format, FillsIntegersAsPrintfDoesWith32BitArguments) {
    EXPECT_EQ(Format(L"%d|%u|%d", -60, -60, 4294967236u), L"-60|4294967236|-60");
    EXPECT_EQ(Format(L"%04u-%02u-%02u", 7, 3, 9), L"0007-03-09");
    EXPECT_EQ(Format(L"%08x %X %x", 60u, 255, 0), L"0000003c FF 0");
    EXPECT_EQ(Format(L"%d", static_cast<long long>(0x1FFFFFFFFLL)), L"-1");
    EXPECT_EQ(Format(L"%lld %I64u", -5LL, 18446744073709551615ULL), L"-5 18446744073709551615");
    EXPECT_EQ(Format(L"%d", INT32_MIN), L"-2147483648");
}

TEST(Format, FillsTextAndWidths) {
    EXPECT_EQ(Format(L"[%s] \"%s\"", std::wstring(L"a b"), L"c"), L"[a b] \"c\"");
    EXPECT_EQ(Format(L"%5s|%-5s|%.2s", L"ab", L"cd", L"xyz"), L"   ab|cd   |xy");
    EXPECT_EQ(Format(L"%c%c", L'o', 107), L"ok");
    EXPECT_EQ(Format(L"100%% %s", L"%d"), L"100% %d");
    const wchar_t* none = nullptr;
    EXPECT_EQ(Format(L"%s", none), L"(null)");
}

TEST(Format, PrintsPointersInUpperCaseAtTheirFullWidth) {
    const void* pointer = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0xABC));
    const std::wstring text = Format(L"0x%p", pointer);
    EXPECT_EQ(text.size(), 2 + sizeof(void*) * 2);
    EXPECT_EQ(text.substr(text.size() - 4), L"0ABC");
    EXPECT_EQ(Format(L"%p", nullptr), std::wstring(sizeof(void*) * 2, L'0'));
}

TEST(Format, RefusesMissingOrMismatchedArguments) {
    std::wstring out;
    EXPECT_FALSE(TryFormat(out, L"%d %d", 1));
    EXPECT_FALSE(TryFormat(out, L"%s", 5));
    EXPECT_FALSE(TryFormat(out, L"%d", L"text"));
    EXPECT_FALSE(TryFormat(out, L"%q", 1));
    EXPECT_FALSE(TryFormat(out, L"ends with %", 1));
    EXPECT_TRUE(TryFormat(out, L"extra arguments are ignored", 1, 2));
}

TEST(Format, LenientFormCopiesWhatItCannotFill) {
    EXPECT_EQ(Format(L"a=%d b=%s c=%d", 1), L"a=1 b=%s c=%d");
    EXPECT_EQ(Format(L"a=%s b=%d", 7, 8), L"a=%s b=8");
}

} // namespace
} // namespace tarvane
