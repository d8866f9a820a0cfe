// The year settings text over Wine's whole database, and the clipboard.
#include "core/year_settings_text.h"
#include "core/zone_loader.h"
#include "platform/clipboard.h"
#include "platform/system_registry.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace tarvane::test {
namespace {

TEST(YearSettingsOnWine, EveryZoneAndEveryDynamicYearRoundTrips) {
    FakeListView view;
    std::vector<TimeZoneRecord> zones;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, zones, std::nullopt));
    ASSERT_GT(zones.size(), 100u);
    std::size_t years = 0;
    for (const TimeZoneRecord& zone : zones) {
        std::vector<DynamicYearRecord> all = {DynamicYearRecord{0, zone.rules}};
        all.insert(all.end(), zone.years.begin(), zone.years.end());
        for (const DynamicYearRecord& year : all) {
            DynamicYearRecord parsed{};
            ASSERT_TRUE(ParseYearSettings(FormatYearSettings(year), &parsed))
                << testing::PrintToString(zone.keyName) << " " << year.year;
            EXPECT_EQ(0, std::memcmp(&parsed, &year, sizeof year))
                << testing::PrintToString(zone.keyName) << " " << year.year;
            ++years;
        }
    }
    EXPECT_GT(years, zones.size() + 100);
}

// A hidden window to own the clipboard.
class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = ::CreateWindowExW(0, L"STATIC", L"clipboard owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (window_ == nullptr) {
            // Wine makes no window, and has no clipboard, without a display.
            GTEST_SKIP() << "no window: run with DISPLAY set";
        }
    }
    void TearDown() override {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
        }
    }

    // Puts raw bytes on the clipboard in `format`.
    void PutBlock(UINT format, const void* bytes, std::size_t size) {
        ASSERT_TRUE(::OpenClipboard(window_));
        ::EmptyClipboard();
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
        ASSERT_NE(memory, nullptr);
        std::memcpy(::GlobalLock(memory), bytes, size);
        ::GlobalUnlock(memory);
        ASSERT_NE(::SetClipboardData(format, memory), nullptr);
        ::CloseClipboard();
    }

    HWND window_ = nullptr;
};

TEST_F(ClipboardTest, TextPutIsTextGot) {
    const std::wstring text = L"ver=1\r\nyear=2026\r\n\u00e9\u4e2d";
    ASSERT_TRUE(PutClipboardText(window_, text));
    EXPECT_EQ(GetClipboardText(window_), text);
    ASSERT_TRUE(PutClipboardText(window_, L""));
    EXPECT_EQ(GetClipboardText(window_), L"");
}

TEST_F(ClipboardTest, PutLeavesAUnicodeBlockWithItsNul) {
    ASSERT_TRUE(PutClipboardText(window_, L"abc"));
    ASSERT_TRUE(::OpenClipboard(window_));
    HANDLE memory = ::GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(memory, nullptr);
    ASSERT_GE(::GlobalSize(memory), 8u);
    EXPECT_EQ(0, std::memcmp(::GlobalLock(memory), L"abc", 8));
    ::GlobalUnlock(memory);
    ::CloseClipboard();
}

TEST_F(ClipboardTest, GetStaysInsideABlockWithoutNul) {
    // Wine writes a NUL over the last unit of a text block that lacks one
    // (Windows leaves it alone); either way the text read is no longer than
    // the block. The unit test of TextFromClipboardBlock covers the rest.
    const wchar_t units[] = {L'a', L'b', L'c', L'd'};
    PutBlock(CF_UNICODETEXT, units, sizeof units);
    const std::wstring text = GetClipboardText(window_);
    EXPECT_TRUE(text == L"abcd" || text == L"abc") << testing::PrintToString(text);
    const char bytes[] = {'x', 0, 'y', 0, 'z'};
    PutBlock(CF_UNICODETEXT, bytes, sizeof bytes);
    const std::wstring odd = GetClipboardText(window_);
    EXPECT_TRUE(odd == L"xy" || odd == L"x") << testing::PrintToString(odd);
}

TEST_F(ClipboardTest, GetStopsAtTheFirstNul) {
    const wchar_t units[] = {L'a', L'b', 0, L'c', 0};
    PutBlock(CF_UNICODETEXT, units, sizeof units);
    EXPECT_EQ(GetClipboardText(window_), L"ab");
}

TEST_F(ClipboardTest, EmptyOrNonTextClipboardGivesEmptyText) {
    ASSERT_TRUE(::OpenClipboard(window_));
    ASSERT_TRUE(::EmptyClipboard());
    ::CloseClipboard();
    EXPECT_EQ(GetClipboardText(window_), L"");

    const UINT privateFormat = ::RegisterClipboardFormatW(L"Tarvane test image");
    const BYTE image[16] = {0x42, 0x4D, 1, 2, 3, 4, 5, 6};
    PutBlock(privateFormat, image, sizeof image);
    EXPECT_EQ(GetClipboardText(window_), L"");
    DynamicYearRecord record{};
    EXPECT_FALSE(ParseYearSettings(GetClipboardText(window_), &record));
}

TEST_F(ClipboardTest, ClipboardHeldOpenElsewhereGivesFailureAndEmptyText) {
    ASSERT_TRUE(PutClipboardText(window_, L"kept"));
    HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        if (::OpenClipboard(nullptr)) {
            ::SetEvent(opened);
            ::WaitForSingleObject(release, 10000);
            ::CloseClipboard();
        } else {
            ::SetEvent(opened);
        }
    });
    ::WaitForSingleObject(opened, 10000);
    EXPECT_FALSE(PutClipboardText(window_, L"lost"));
    EXPECT_EQ(GetClipboardText(window_), L"");
    ::SetEvent(release);
    holder.join();
    ::CloseHandle(opened);
    ::CloseHandle(release);
    EXPECT_EQ(GetClipboardText(window_), L"kept");
}

} // namespace
} // namespace tarvane::test
