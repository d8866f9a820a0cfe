#include "platform/format.h"

namespace tarvane {
namespace {

struct Spec {
    bool leftAlign = false;
    bool zeroPad = false;
    std::size_t width = 0;
    bool hasPrecision = false;
    std::size_t precision = 0;
    bool wide64 = false;
    wchar_t conversion = 0;
};

// Reads a conversion after its '%'; returns the position after it, or npos.
std::size_t ParseSpec(std::wstring_view format, std::size_t pos, Spec& spec) {
    while (pos < format.size() && (format[pos] == L'-' || format[pos] == L'0')) {
        (format[pos] == L'-' ? spec.leftAlign : spec.zeroPad) = true;
        ++pos;
    }
    while (pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9') {
        spec.width = spec.width * 10 + static_cast<std::size_t>(format[pos] - L'0');
        if (spec.width > 4096) {
            return std::wstring_view::npos;
        }
        ++pos;
    }
    if (pos < format.size() && format[pos] == L'.') {
        spec.hasPrecision = true;
        ++pos;
        while (pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9') {
            spec.precision = spec.precision * 10 + static_cast<std::size_t>(format[pos] - L'0');
            if (spec.precision > 65536) {
                return std::wstring_view::npos;
            }
            ++pos;
        }
    }
    if (format.substr(pos, 3) == L"I64") {
        spec.wide64 = true;
        pos += 3;
    } else if (format.substr(pos, 2) == L"ll") {
        spec.wide64 = true;
        pos += 2;
    } else if (pos < format.size() && (format[pos] == L'l' || format[pos] == L'h')) {
        ++pos;
    }
    if (pos >= format.size()) {
        return std::wstring_view::npos;
    }
    spec.conversion = format[pos];
    return pos + 1;
}

std::wstring Digits(std::uint64_t value, unsigned base, bool upper) {
    const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value % base]);
        value /= base;
    } while (value != 0);
    return text;
}

void AppendPadded(std::wstring& out, const Spec& spec, std::wstring_view sign, std::wstring_view body,
                  bool numeric) {
    const std::size_t length = sign.size() + body.size();
    const std::size_t padding = spec.width > length ? spec.width - length : 0;
    if (spec.leftAlign) {
        out.append(sign).append(body).append(padding, L' ');
    } else if (spec.zeroPad && numeric) {
        out.append(sign).append(padding, L'0').append(body);
    } else {
        out.append(padding, L' ').append(sign).append(body);
    }
}

// Appends one conversion; false when the argument cannot serve it.
bool AppendConversion(std::wstring& out, const Spec& spec, const FormatArg& arg) {
    const bool isNumber = arg.kind() != FormatArg::Kind::Text;
    switch (spec.conversion) {
    case L'd':
    case L'i': {
        if (!isNumber) {
            return false;
        }
        const std::int64_t value = spec.wide64 ? arg.asSigned() : static_cast<std::int32_t>(arg.asUnsigned());
        const std::uint64_t magnitude =
            value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
        AppendPadded(out, spec, value < 0 ? L"-" : L"", Digits(magnitude, 10, false), true);
        return true;
    }
    case L'u':
    case L'x':
    case L'X': {
        if (!isNumber) {
            return false;
        }
        const std::uint64_t value =
            spec.wide64 ? arg.asUnsigned() : static_cast<std::uint32_t>(arg.asUnsigned());
        const unsigned base = spec.conversion == L'u' ? 10 : 16;
        AppendPadded(out, spec, L"", Digits(value, base, spec.conversion == L'X'), true);
        return true;
    }
    case L'p': {
        if (!isNumber) {
            return false;
        }
        std::wstring body = Digits(arg.asUnsigned(), 16, true);
        const std::size_t full = sizeof(void*) * 2;
        if (body.size() < full) {
            body.insert(0, full - body.size(), L'0');
        }
        AppendPadded(out, spec, L"", body, false);
        return true;
    }
    case L'c': {
        if (!isNumber) {
            return false;
        }
        const wchar_t ch = static_cast<wchar_t>(arg.asUnsigned());
        AppendPadded(out, spec, L"", std::wstring_view(&ch, 1), false);
        return true;
    }
    case L's': {
        if (isNumber) {
            return false;
        }
        std::wstring_view text = arg.text();
        if (spec.hasPrecision && text.size() > spec.precision) {
            text = text.substr(0, spec.precision);
        }
        AppendPadded(out, spec, L"", text, false);
        return true;
    }
    default:
        return false;
    }
}

bool Run(std::wstring& out, std::wstring_view format, const FormatArg* args, std::size_t count,
         bool lenient) {
    std::size_t next = 0;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t percent = format.find(L'%', pos);
        if (percent == std::wstring_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, percent - pos));
        if (percent + 1 < format.size() && format[percent + 1] == L'%') {
            out.push_back(L'%');
            pos = percent + 2;
            continue;
        }
        Spec spec;
        const std::size_t end = ParseSpec(format, percent + 1, spec);
        const bool filled =
            end != std::wstring_view::npos && next < count && AppendConversion(out, spec, args[next]);
        if (filled) {
            ++next;
            pos = end;
            continue;
        }
        if (!lenient) {
            return false;
        }
        const std::size_t stop = end == std::wstring_view::npos ? format.size() : end;
        out.append(format.substr(percent, stop - percent));
        if (end != std::wstring_view::npos && next < count) {
            ++next;
        }
        pos = stop;
    }
    return true;
}

} // namespace

bool TryFormatArgs(std::wstring& out, std::wstring_view format, const FormatArg* args, std::size_t count) {
    out.clear();
    return Run(out, format, args, count, false);
}

std::wstring FormatArgs(std::wstring_view format, const FormatArg* args, std::size_t count) {
    std::wstring out;
    Run(out, format, args, count, true);
    return out;
}

} // namespace tarvane
