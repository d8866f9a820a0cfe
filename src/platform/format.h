// A small type-safe printf-style formatter for the program's UTF-16 texts.
//
// Conversions: %d %i (signed 32-bit), %u (unsigned 32-bit), %x %X (hexadecimal),
// %c, %s (text), %p (pointer, upper-case hexadecimal, full width of a pointer)
// and %%. Flags '-' and '0', a width and, for %s, a precision are understood;
// the length prefixes h, l, ll and I64 are accepted, and ll or I64 widen the
// integer to 64 bits. Integers are reinterpreted as the conversion asks, as
// printf does with 32-bit arguments: -60 through %u gives 4294967236.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarvane {

class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Text, Pointer };

    template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
    FormatArg(T value) : kind_(Kind::Signed), signed_(value) {}
    template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T>, int> = 0>
    FormatArg(T value) : kind_(Kind::Unsigned), unsigned_(value) {}
    template <typename T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
    FormatArg(T value) : FormatArg(static_cast<std::underlying_type_t<T>>(value)) {}
    FormatArg(const wchar_t* text) : kind_(Kind::Text), text_(text ? text : L"(null)") {}
    FormatArg(wchar_t* text) : FormatArg(static_cast<const wchar_t*>(text)) {}
    FormatArg(const std::wstring& text) : kind_(Kind::Text), text_(text) {}
    FormatArg(std::wstring_view text) : kind_(Kind::Text), text_(text) {}
    FormatArg(const void* pointer)
        : kind_(Kind::Pointer), unsigned_(reinterpret_cast<std::uintptr_t>(pointer)) {}
    FormatArg(void* pointer) : FormatArg(static_cast<const void*>(pointer)) {}
    FormatArg(std::nullptr_t) : FormatArg(static_cast<const void*>(nullptr)) {}

    Kind kind() const { return kind_; }
    std::int64_t asSigned() const {
        return kind_ == Kind::Signed ? signed_ : static_cast<std::int64_t>(unsigned_);
    }
    std::uint64_t asUnsigned() const {
        return kind_ == Kind::Signed ? static_cast<std::uint64_t>(signed_) : unsigned_;
    }
    std::wstring_view text() const { return text_; }

private:
    Kind kind_;
    std::int64_t signed_ = 0;
    std::uint64_t unsigned_ = 0;
    std::wstring_view text_;
};

// Formats into `out`. False when the format asks for an argument that is
// missing, or of a kind it cannot print (a number for %s, a text for %d), or
// holds an unknown conversion; `out` then holds what was made so far.
bool TryFormatArgs(std::wstring& out, std::wstring_view format, const FormatArg* args, std::size_t count);

// As TryFormatArgs, but a conversion that cannot be filled is copied verbatim.
std::wstring FormatArgs(std::wstring_view format, const FormatArg* args, std::size_t count);

template <typename... Args> bool TryFormat(std::wstring& out, std::wstring_view format, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    return TryFormatArgs(out, format, list, sizeof...(Args));
}

// Formats and returns the text; a conversion that cannot be filled is copied
// as it stands.
template <typename... Args> std::wstring Format(std::wstring_view format, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    return FormatArgs(format, list, sizeof...(Args));
}

} // namespace tarvane
