// What the fuzz targets share: a reader that takes typed pieces off the
// fuzzer's bytes, and the check that turns a broken property into a crash the
// fuzzer keeps.
#pragma once

#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarvane::fuzz {

// A property every input must keep; a broken one aborts, so that libFuzzer
// saves the input and the replay of the regression cases fails.
inline void Check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "fuzz property broken: %s\n", property);
        std::abort();
    }
}

// Takes pieces off the front of the input; past its end every piece is zero
// or empty, so any input describes something.
class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ == size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::uint32_t Dword() {
        return static_cast<std::uint32_t>(Word()) | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::uint64_t Qword() { return Dword() | (static_cast<std::uint64_t>(Dword()) << 32); }
    // Up to `count` bytes.
    std::vector<BYTE> Bytes(std::size_t count) {
        const std::size_t taken = count < size_ - at_ ? count : size_ - at_;
        std::vector<BYTE> bytes(data_ + at_, data_ + at_ + taken);
        at_ += taken;
        return bytes;
    }
    // Up to `units` UTF-16 units, little-endian, as the registry and the
    // clipboard hand text over.
    std::wstring Text(std::size_t units) {
        const std::vector<BYTE> bytes = Bytes(units * 2);
        return FromUtf16Le(bytes.data(), bytes.size() / 2);
    }
    std::vector<BYTE> Rest() { return Bytes(size_ - at_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace tarvane::fuzz
