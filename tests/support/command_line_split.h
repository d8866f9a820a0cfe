// The argument splitting of a Windows program's command line, for checking
// what a relaunched copy receives: blanks and tabs separate arguments outside
// double quotes; a double quote starts or ends a quoted part; 2n backslashes
// before a double quote give n backslashes and the quote is a delimiter,
// 2n + 1 give n backslashes and a literal quote; other backslashes are literal.
#pragma once

#include <string>
#include <vector>

namespace tarvane::test {

std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

} // namespace tarvane::test
