#include "console/console_report.h"

#include "platform/format.h"

namespace tarvane::console {
namespace {

void AppendLines(std::wstring& out, std::wstring_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        std::wstring_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        out.append(line);
        out.append(L"\r\n");
        start = end + 1;
    }
}

} // namespace

std::wstring OneLine(std::wstring_view text, std::size_t limit) {
    std::wstring line;
    for (wchar_t ch : text) {
        const bool blank = ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
        if (blank) {
            if (!line.empty() && line.back() != L' ') {
                line.push_back(L' ');
            }
        } else {
            line.push_back(ch);
        }
    }
    while (!line.empty() && line.back() == L' ') {
        line.pop_back();
    }
    if (line.size() > limit) {
        line.resize(limit > 3 ? limit - 3 : 0);
        line += L"...";
    }
    return line;
}

std::wstring StdoutText(const ConsoleReport& report, bool json) {
    std::wstring out;
    if (json && !report.json.empty()) {
        AppendLines(out, report.json);
        return out;
    }
    for (const std::wstring& detail : report.detail) {
        AppendLines(out, detail);
    }
    if (!report.summary.empty()) {
        AppendLines(out, OneLine(report.summary));
    }
    return out;
}

std::wstring StderrText(const ConsoleReport& report) {
    std::wstring out;
    if (report.exitCode >= 2 && !report.error.empty()) {
        AppendLines(out, report.error);
    }
    return out;
}

std::wstring JsonString(std::wstring_view text) {
    std::wstring out = L"\"";
    for (wchar_t ch : text) {
        switch (ch) {
        case L'"':
            out += L"\\\"";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\t':
            out += L"\\t";
            break;
        default:
            if (static_cast<unsigned>(ch) < 0x20) {
                out += Format(L"\\u%04x", static_cast<unsigned>(ch));
            } else {
                out.push_back(ch);
            }
        }
    }
    return out + L"\"";
}

void JsonWriter::Key(std::wstring_view name) {
    if (needComma_) {
        text_ += L",";
    }
    if (!name.empty()) {
        text_ += JsonString(name) + L":";
    }
    needComma_ = true;
}

JsonWriter& JsonWriter::BeginObject() {
    Key({});
    text_ += L"{";
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::BeginObjectMember(std::wstring_view name) {
    Key(name);
    text_ += L"{";
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += L"}";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray(std::wstring_view name) {
    Key(name);
    text_ += L"[";
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += L"]";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view name, std::wstring_view value) {
    Key(name);
    text_ += JsonString(value);
    return *this;
}

JsonWriter& JsonWriter::Number(std::wstring_view name, long long value) {
    Key(name);
    text_ += std::to_wstring(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(std::wstring_view name, bool value) {
    Key(name);
    text_ += value ? L"true" : L"false";
    return *this;
}

JsonWriter& JsonWriter::Null(std::wstring_view name) {
    Key(name);
    text_ += L"null";
    return *this;
}

JsonWriter& JsonWriter::StringItem(std::wstring_view value) {
    return String({}, value);
}

JsonWriter& JsonWriter::NumberItem(long long value) {
    return Number({}, value);
}

} // namespace tarvane::console
