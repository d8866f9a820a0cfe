#include "log_capture.h"

namespace tarvane::test {
namespace {

// The line is "<time> {<version>|<tag>} (<error>) <message>".
bool Split(const std::wstring& line, LONG* error, std::wstring* message) {
    const std::size_t open = line.find(L"} (");
    if (open == std::wstring::npos) {
        return false;
    }
    const std::size_t close = line.find(L") ", open + 3);
    if (close == std::wstring::npos) {
        return false;
    }
    *error = static_cast<LONG>(std::stol(line.substr(open + 3, close - open - 3)));
    *message = line.substr(close + 2);
    return true;
}

} // namespace

std::vector<std::wstring> LogCapture::Messages() const {
    std::vector<std::wstring> messages;
    for (const auto& event : events) {
        LONG error = 0;
        std::wstring message;
        messages.push_back(Split(event.line, &error, &message) ? message : event.line);
    }
    return messages;
}

std::vector<LONG> LogCapture::LastErrors() const {
    std::vector<LONG> errors;
    for (const auto& event : events) {
        LONG error = 0;
        std::wstring message;
        errors.push_back(Split(event.line, &error, &message) ? error : -1);
    }
    return errors;
}

bool LogCapture::Has(const std::wstring& message) const {
    for (const auto& text : Messages()) {
        if (text == message) {
            return true;
        }
    }
    return false;
}

LONG LogCapture::LastErrorOf(const std::wstring& message) const {
    for (const auto& event : events) {
        LONG error = 0;
        std::wstring text;
        if (Split(event.line, &error, &text) && text == message) {
            return error;
        }
    }
    return -1;
}

std::string LogCapture::Dump() const {
    std::string out;
    for (const auto& event : events) {
        for (wchar_t ch : event.line) {
            out.push_back(static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?');
        }
        out.push_back('\n');
    }
    return out;
}

::testing::AssertionResult LogCapture::Logged(const std::wstring& message) const {
    if (Has(message)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "not logged: " << ::testing::PrintToString(message) << "\nlogged:\n"
           << Dump();
}

::testing::AssertionResult LogCapture::LoggedExactly(const std::vector<std::wstring>& messages) const {
    if (Messages() == messages) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(messages) << "\nlogged:\n"
                                         << Dump();
}

} // namespace tarvane::test
