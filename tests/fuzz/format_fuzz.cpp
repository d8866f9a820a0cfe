// The formatter behind every log line and message, with formats and arguments
// from the fuzzer's bytes; where the format is one printf understands the
// same way (flags '-' and '0', a width, d i u x X, 32 or 64 bits), the C
// library's snprintf is the reference.
#include "fuzz_support.h"
#include "platform/format.h"

#include <cstdio>
#include <optional>

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

FormatArg TakeArg(fuzz::ByteSource& input, std::vector<std::wstring>& texts) {
    switch (input.Byte() % 5) {
    case 0:
        return FormatArg(static_cast<std::int32_t>(input.Dword()));
    case 1:
        return FormatArg(static_cast<std::int64_t>(input.Qword()));
    case 2:
        return FormatArg(input.Dword());
    case 3:
        texts.push_back(input.Text(input.Byte() % 24));
        return FormatArg(std::wstring_view(texts.back()));
    default:
        return FormatArg(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(input.Qword())));
    }
}

// The text snprintf makes of `format` and `args`, or none when the format
// holds anything beyond the shared subset or an argument is not a number.
std::optional<std::wstring> Reference(const std::wstring& format, const std::vector<FormatArg>& args) {
    std::wstring out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') {
            out.push_back(format[i]);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            out.push_back(L'%');
            ++i;
            continue;
        }
        std::string spec = "%";
        std::size_t j = i + 1;
        while (j < format.size() && (format[j] == L'-' || format[j] == L'0')) {
            spec.push_back(static_cast<char>(format[j++]));
        }
        std::size_t digits = 0;
        while (j < format.size() && format[j] >= L'0' && format[j] <= L'9' && digits < 3) {
            spec.push_back(static_cast<char>(format[j++]));
            ++digits;
        }
        const bool wide = format.compare(j, 2, L"ll") == 0;
        if (wide) {
            spec += "ll";
            j += 2;
        }
        if (j >= format.size() || std::wstring_view(L"diuxX").find(format[j]) == std::wstring_view::npos ||
            next >= args.size() || args[next].kind() == FormatArg::Kind::Text) {
            return std::nullopt;
        }
        spec.push_back(static_cast<char>(format[j]));
        const FormatArg& arg = args[next++];
        const bool isSigned = format[j] == L'd' || format[j] == L'i';
        char buffer[1100];
        if (wide) {
            if (isSigned) {
                std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<long long>(arg.asSigned()));
            } else {
                std::snprintf(buffer, sizeof buffer, spec.c_str(),
                              static_cast<unsigned long long>(arg.asUnsigned()));
            }
        } else if (isSigned) {
            std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<int>(arg.asUnsigned()));
        } else {
            std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<unsigned>(arg.asUnsigned()));
        }
        for (const char* c = buffer; *c != 0; ++c) {
            out.push_back(static_cast<wchar_t>(*c));
        }
        i = j;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteSource input(data, size);
    std::vector<std::wstring> texts;
    texts.reserve(8);
    std::vector<FormatArg> args;
    const std::size_t count = input.Byte() % 8;
    for (std::size_t i = 0; i < count; ++i) {
        args.push_back(TakeArg(input, texts));
    }
    // The format's characters one byte each: '%' and its flags are single bytes.
    std::wstring format;
    for (BYTE byte : input.Rest()) {
        format.push_back(static_cast<wchar_t>(byte));
    }

    std::wstring strict;
    const bool filled = TryFormatArgs(strict, format, args.data(), args.size());
    const std::wstring lenient = FormatArgs(format, args.data(), args.size());
    Check(!filled || lenient == strict, "a format that can be filled is filled the same way by both");
    if (const auto reference = Reference(format, args)) {
        Check(filled, "a format printf understands is filled");
        Check(strict == *reference, "the text is printf's");
    }
    return 0;
}
