// The IANA tz source format compiled into the program's tz table: the Rule,
// Zone and Link lines that zic reads (its manual describes them), in full or
// abbreviated as tzdata.zi writes them. The result holds what zic's output
// says of every zone from 1970 on, as the built-in table holds it: the offsets
// and daylight flags, the transitions, and the POSIX TZ string zic writes for
// the time after them (where zic writes none, the transitions go on to 2101).
// Compiling is a pure function of the text: no system call, any bytes may be
// given, and input with a line zic would refuse is refused whole.
#pragma once

#include "tzdb/tz_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// One input file: its name (for messages) and its bytes.
struct TzSourceFile {
    std::wstring name;
    std::string_view text;
};

// Why an input was refused: the file, the line (1-based; 0 when no line is
// to blame) and a short reason.
struct TzSourceError {
    std::wstring file;
    std::size_t line = 0;
    std::wstring reason;
};

// Compiles the files as one input, in order (continuation lines never run on
// from one file into the next). `version` names the release; when empty, the
// first "# version" line of the input does. On success `table` receives the
// version, the zones and the names (links resolved, ASCII order) and no
// Windows keys; on failure it is left as it was.
std::optional<TzSourceError> CompileTzSource(const std::vector<TzSourceFile>& files,
                                             std::wstring_view version, TzTable* table);

} // namespace tarvane
