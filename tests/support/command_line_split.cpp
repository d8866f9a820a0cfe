#include "command_line_split.h"

namespace tarvane::test {

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> arguments;
    std::size_t pos = 0;
    const std::size_t n = line.size();
    while (true) {
        while (pos < n && (line[pos] == L' ' || line[pos] == L'\t')) {
            ++pos;
        }
        if (pos >= n) {
            break;
        }
        std::wstring argument;
        bool quoted = false;
        while (pos < n && (quoted || (line[pos] != L' ' && line[pos] != L'\t'))) {
            std::size_t backslashes = 0;
            while (pos < n && line[pos] == L'\\') {
                ++backslashes;
                ++pos;
            }
            if (pos < n && line[pos] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument.push_back(L'"');
                } else {
                    quoted = !quoted;
                }
                ++pos;
            } else {
                argument.append(backslashes, L'\\');
                if (backslashes == 0 && pos < n) {
                    argument.push_back(line[pos++]);
                }
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

} // namespace tarvane::test
