// Path text helpers.
#pragma once

#include <string>
#include <string_view>

namespace tarvane {

// `path` with a trailing separator: unless it is empty or already ends in a
// backslash or slash, the separator it already uses last is appended (a
// backslash when it holds none).
std::wstring WithTrailingSeparator(std::wstring_view path);

} // namespace tarvane
