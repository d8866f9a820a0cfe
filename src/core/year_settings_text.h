// One year's settings as clipboard text: twelve "key=value" lines, CR LF
// ended, every number unsigned decimal (a bias of -60 is 4294967236):
//   ver=1, year, dst, bias, std_bias, dst_bias, std_st, dst_st, std_occurs,
//   dst_occurs, std_abs_st, dst_abs_st
// where the *_st values are the eight words of a SYSTEMTIME joined by '|'.
#pragma once

#include "core/time_zone_record.h"

#include <string>
#include <string_view>

namespace tarvane {

std::wstring FormatYearSettings(const DynamicYearRecord& record);

// Strict: the keys in the order above, case-sensitive, nothing before a key
// (empty lines between fields aside), digits only in a value, LF or CR LF line
// ends; anything after the last field is ignored. On failure `record` is left
// as it was.
bool ParseYearSettings(std::wstring_view text, DynamicYearRecord* record);

} // namespace tarvane
