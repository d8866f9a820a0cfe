#include "platform/clipboard_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace tarvane {
namespace {

// A heap block of exactly `size` bytes, so that AddressSanitizer sees a read
// past its end.
std::unique_ptr<BYTE[]> Block(const void* bytes, std::size_t size) {
    auto block = std::make_unique<BYTE[]>(size);
    std::memcpy(block.get(), bytes, size);
    return block;
}

TEST(TextFromClipboardBlock, ReadsUpToTheFirstNul) {
    const BYTE bytes[] = {'a', 0, 0xE9, 0, 0x2D, 0x4E, 0, 0, 'z', 0};
    auto block = Block(bytes, sizeof bytes);
    EXPECT_EQ(TextFromClipboardBlock(block.get(), sizeof bytes), L"a\u00e9\u4e2d");
}

TEST(TextFromClipboardBlock, NeverReadsPastABlockWithoutNul) {
    const BYTE bytes[] = {'a', 0, 'b', 0, 'c', 0};
    auto block = Block(bytes, sizeof bytes);
    EXPECT_EQ(TextFromClipboardBlock(block.get(), sizeof bytes), L"abc");
    const BYTE odd[] = {'x', 0, 'y', 0, 'z'};
    auto oddBlock = Block(odd, sizeof odd);
    EXPECT_EQ(TextFromClipboardBlock(oddBlock.get(), sizeof odd), L"xy");
    const BYTE single[] = {'q'};
    auto singleBlock = Block(single, sizeof single);
    EXPECT_EQ(TextFromClipboardBlock(singleBlock.get(), sizeof single), L"");
}

TEST(TextFromClipboardBlock, EmptyOrMissingBlockIsEmptyText) {
    EXPECT_EQ(TextFromClipboardBlock(nullptr, 0), L"");
    EXPECT_EQ(TextFromClipboardBlock(nullptr, 10), L"");
    const BYTE nul[] = {0, 0, 'a', 0};
    EXPECT_EQ(TextFromClipboardBlock(nul, sizeof nul), L"");
}

} // namespace
} // namespace tarvane
