#include "core/year_settings_text.h"

#include "platform/format.h"
#include "platform/text.h"

#include <cstdint>

namespace tarvane {

std::wstring FormatYearSettings(const DynamicYearRecord& record) {
    const ZoneRules& rules = record.rules;
    const SYSTEMTIME& std = rules.tzi.StandardDate;
    const SYSTEMTIME& dst = rules.tzi.DaylightDate;
    const SYSTEMTIME& stdAbs = rules.standardAbsoluteDate;
    const SYSTEMTIME& dstAbs = rules.daylightAbsoluteDate;
    const std::wstring text =
        Format(L"ver=1\nyear=%u\ndst=%u\nbias=%u\nstd_bias=%u\ndst_bias=%u\nstd_st=%u|%u|%u|%u|%u|%u|%u|%u\n"
               L"dst_st=%u|%u|%u|%u|%u|%u|%u|%u\nstd_occurs=%u\ndst_occurs=%u\n"
               L"std_abs_st=%u|%u|%u|%u|%u|%u|%u|%u\ndst_abs_st=%u|%u|%u|%u|%u|%u|%u|%u\n",
               record.year, rules.dstEnabled, rules.tzi.Bias, rules.tzi.StandardBias, rules.tzi.DaylightBias,
               std.wYear, std.wMonth, std.wDayOfWeek, std.wDay, std.wHour, std.wMinute, std.wSecond,
               std.wMilliseconds, dst.wYear, dst.wMonth, dst.wDayOfWeek, dst.wDay, dst.wHour, dst.wMinute,
               dst.wSecond, dst.wMilliseconds, rules.standardOccurs, rules.daylightOccurs, stdAbs.wYear,
               stdAbs.wMonth, stdAbs.wDayOfWeek, stdAbs.wDay, stdAbs.wHour, stdAbs.wMinute, stdAbs.wSecond,
               stdAbs.wMilliseconds, dstAbs.wYear, dstAbs.wMonth, dstAbs.wDayOfWeek, dstAbs.wDay,
               dstAbs.wHour, dstAbs.wMinute, dstAbs.wSecond, dstAbs.wMilliseconds);
    return ReplaceAll(text, L"\n", L"\r\n");
}

namespace {

// One pass over the text, left to right, no going back.
class Reader {
public:
    explicit Reader(std::wstring_view text) : text_(text) {}

    // `key` and '=' at the cursor.
    bool Key(std::wstring_view key) {
        if (text_.substr(at_).substr(0, key.size()) != key || at_ + key.size() >= text_.size() ||
            text_[at_ + key.size()] != L'=') {
            return false;
        }
        at_ += key.size() + 1;
        return true;
    }

    // A run of digits up to an LF (taken with the line breaks after it), the
    // end of the text, or in a list a '|'. CRs are passed over.
    bool Number(bool inList, DWORD* value) {
        constexpr std::size_t kMaxDigits = 127;
        std::size_t digits = 0;
        std::uint64_t number = 0;
        bool tooLarge = false;
        for (;;) {
            if (at_ == text_.size()) {
                break;
            }
            const wchar_t c = text_[at_];
            if (c >= L'0' && c <= L'9') {
                if (++digits > kMaxDigits) {
                    return false;
                }
                number = number * 10 + static_cast<unsigned>(c - L'0');
                if (number > 0xFFFFFFFFull) {
                    tooLarge = true;
                    number = 0xFFFFFFFFull + 1; // stays above the limit without overflowing
                }
                ++at_;
            } else if (c == L'\r') {
                ++at_;
            } else if (c == L'\n') {
                while (at_ < text_.size() && (text_[at_] == L'\n' || text_[at_] == L'\r')) {
                    ++at_;
                }
                break;
            } else if (c == L'|' && inList) {
                ++at_;
                break;
            } else {
                return false;
            }
        }
        if (digits == 0 || tooLarge) {
            return false;
        }
        *value = static_cast<DWORD>(number);
        return true;
    }

    bool Field(std::wstring_view key, DWORD* value) { return Key(key) && Number(false, value); }

    bool DateField(std::wstring_view key, SYSTEMTIME* date) {
        if (!Key(key)) {
            return false;
        }
        WORD words[8] = {};
        for (int i = 0; i < 8; ++i) {
            DWORD number = 0;
            if (!Number(true, &number) || number > (i == 0 ? 65534u : 65535u)) {
                return false;
            }
            words[i] = static_cast<WORD>(number);
        }
        *date = SYSTEMTIME{words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7]};
        return true;
    }

private:
    std::wstring_view text_;
    std::size_t at_ = 0;
};

bool IsOccursKind(DWORD value) {
    return value <= 2;
}

} // namespace

bool ParseYearSettings(std::wstring_view text, DynamicYearRecord* record) {
    if (text.empty()) {
        return false;
    }
    Reader reader(text);
    DynamicYearRecord parsed{};
    DWORD version = 0;
    DWORD dst = 0;
    DWORD bias = 0;
    DWORD standardBias = 0;
    DWORD daylightBias = 0;
    DWORD standardOccurs = 0;
    DWORD daylightOccurs = 0;
    ZoneRules& rules = parsed.rules;
    if (!reader.Field(L"ver", &version) || version != 1 || !reader.Field(L"year", &parsed.year) ||
        !reader.Field(L"dst", &dst) || !reader.Field(L"bias", &bias) ||
        !reader.Field(L"std_bias", &standardBias) || !reader.Field(L"dst_bias", &daylightBias) ||
        !reader.DateField(L"std_st", &rules.tzi.StandardDate) ||
        !reader.DateField(L"dst_st", &rules.tzi.DaylightDate) ||
        !reader.Field(L"std_occurs", &standardOccurs) || !IsOccursKind(standardOccurs) ||
        !reader.Field(L"dst_occurs", &daylightOccurs) || !IsOccursKind(daylightOccurs) ||
        !reader.DateField(L"std_abs_st", &rules.standardAbsoluteDate) ||
        !reader.DateField(L"dst_abs_st", &rules.daylightAbsoluteDate)) {
        return false;
    }
    rules.dstEnabled = dst != 0 ? 1 : 0;
    rules.tzi.Bias = static_cast<LONG>(bias);
    rules.tzi.StandardBias = static_cast<LONG>(standardBias);
    rules.tzi.DaylightBias = static_cast<LONG>(daylightBias);
    rules.standardOccurs = static_cast<LONG>(standardOccurs);
    rules.daylightOccurs = static_cast<LONG>(daylightOccurs);
    *record = parsed;
    return true;
}

} // namespace tarvane
