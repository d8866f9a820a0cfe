// Captures the diagnostic log's lines for the length of a test.
#pragma once

#include "platform/diagnostic_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvane::test {

struct LoggedEvent {
    WORD type;
    DWORD eventId;
    std::wstring line;
};

class LogCapture : public EventSink {
public:
    LogCapture() { TheLog().SetSink(this); }
    ~LogCapture() override { TheLog().SetSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool Report(std::wstring_view, WORD type, DWORD eventId, std::wstring_view line) override {
        events.push_back(LoggedEvent{type, eventId, std::wstring(line)});
        return accept;
    }

    // The message part of each line: what follows "(<last error>) ".
    std::vector<std::wstring> Messages() const;
    // The last-error value each line recorded.
    std::vector<LONG> LastErrors() const;
    // True when some line's message equals `message`.
    bool Has(const std::wstring& message) const;
    // The last-error value of the first line whose message equals `message`, or -1.
    LONG LastErrorOf(const std::wstring& message) const;
    // The messages, one a line, for failure output.
    std::string Dump() const;
    // For EXPECT_TRUE: some line's message is `message`; on failure the
    // assertion says which lines were written.
    ::testing::AssertionResult Logged(const std::wstring& message) const;
    // For EXPECT_TRUE: the messages are exactly `messages`, in order.
    ::testing::AssertionResult LoggedExactly(const std::vector<std::wstring>& messages) const;

    std::vector<LoggedEvent> events;
    bool accept = true;
};

} // namespace tarvane::test
