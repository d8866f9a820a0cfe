// What a console command prints: detail lines and one summary line last, or
// one JSON document; the error text for stderr; the exit code. Pure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvane::console {

// Management tools keep the last line of output up to 2,048 characters.
inline constexpr std::size_t kMaxSummaryLength = 2047;

struct ConsoleReport {
    int exitCode = 0;
    std::vector<std::wstring> detail; // each may hold line feeds
    std::wstring summary;
    std::wstring json;  // the whole document with --json
    std::wstring error; // for stderr; only with an exit code of 2 or more
};

// `text` on one line: line breaks and tabs become blanks, runs of blanks one,
// cut with "..." to fit `limit` characters.
std::wstring OneLine(std::wstring_view text, std::size_t limit = kMaxSummaryLength);

// The text for stdout: the JSON document, or the detail and the summary
// line, each line ended by CR LF.
std::wstring StdoutText(const ConsoleReport& report, bool json);

// The text for stderr: the error's lines, empty unless the command failed.
std::wstring StderrText(const ConsoleReport& report);

// A JSON string literal of `text`: quotes, backslashes and control
// characters escaped, everything else as it is.
std::wstring JsonString(std::wstring_view text);

// A small writer of one JSON document: members and array items are
// separated for the caller.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray(std::wstring_view name = {});
    JsonWriter& EndArray();
    JsonWriter& BeginObjectMember(std::wstring_view name);
    JsonWriter& String(std::wstring_view name, std::wstring_view value);
    JsonWriter& Number(std::wstring_view name, long long value);
    JsonWriter& Bool(std::wstring_view name, bool value);
    JsonWriter& Null(std::wstring_view name);
    JsonWriter& StringItem(std::wstring_view value);
    JsonWriter& NumberItem(long long value);
    const std::wstring& Text() const { return text_; }

private:
    void Key(std::wstring_view name);
    std::wstring text_;
    bool needComma_ = false;
};

} // namespace tarvane::console
