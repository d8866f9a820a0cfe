// SHA-256 (FIPS 180-4) over bytes held in memory: a pure function, so that
// a file the user chose can be recognised again by its content.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvane {

class Sha256 {
public:
    Sha256();
    // Adds `size` bytes to the message.
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
};

// The digest as 64 lowercase hexadecimal digits, as sha256sum writes it.
std::wstring Sha256Text(const std::array<std::uint8_t, 32>& digest);
std::wstring Sha256Text(std::string_view bytes);

} // namespace tarvane
