// The text in a clipboard memory block: portable, so that its bounds can be
// tested natively under AddressSanitizer.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <string>

namespace tarvane {

// The UTF-16 little-endian text at the start of a block of `size` bytes, up
// to its first NUL. Reads whole units inside the block only: a block without
// a NUL gives all of its units, a trailing odd byte is not text.
std::wstring TextFromClipboardBlock(const BYTE* block, std::size_t size);

} // namespace tarvane
