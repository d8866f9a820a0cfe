// The diagnostic log: one line per failure, written to the Windows event log
// of the source "Tarvane". A line carries the UTC time, the version, the
// platform tag, the caller's last-error value and the message:
//   2026-12-08T04:16:41.123 {1.0.0.0|x64} (5) [208] ...
// Logging never changes the caller's last-error value and a failure to log is
// silent.
#pragma once

#include "platform/format.h"
#include "platform/last_error.h"

#include <functional>
#include <mutex>
#include <new>
#include <string>

namespace tarvane {

// Where lines go: registers the event source, reports one event with the line
// as its only insertion string, deregisters. True when the event was reported.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual bool Report(std::wstring_view sourceName, WORD type, DWORD eventId, std::wstring_view line) = 0;
};

// The Windows event log (RegisterEventSourceW / ReportEventW) on Windows, the
// standard error stream in the native build.
EventSink& SystemEventSink();

// The event identifier that goes with an event type.
DWORD EventIdForType(WORD type);

// "x64" in a 64-bit build, "x32" in a 32-bit one.
const wchar_t* PlatformTag();

class DiagnosticLog {
public:
    DiagnosticLog();
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    const std::wstring& SourceName() const { return sourceName_; }
    const std::wstring& VersionText() const { return versionText_; }

    // Replaces the destination (tests capture lines this way); null restores
    // the system's event log.
    void SetSink(EventSink* sink) { sink_ = sink ? sink : &SystemEventSink(); }
    EventSink& Sink() const { return *sink_; }
    // Replaces the clock (tests fix the time stamp this way); empty restores it.
    void SetClock(std::function<SYSTEMTIME()> clock);

    // Writes `text` verbatim as the message of one event of `type`.
    int LogText(WORD type, const wchar_t* text);

    // Formats the message and writes it as an error event.
    template <typename... Args> int LogMessage(const wchar_t* format, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
        return LogMessageArgs(format, list, sizeof...(Args));
    }
    int LogMessageArgs(const wchar_t* format, const FormatArg* args, std::size_t count);

    // Formats a whole line and reports it as one event.
    int WriteEventLine(WORD type, const wchar_t* format, const FormatArg* args, std::size_t count);

private:
    std::wstring sourceName_;
    std::wstring versionText_;
    EventSink* sink_;
    std::function<SYSTEMTIME()> clock_;
    // Lines come from more than one thread (the zone list is read on one of
    // its own at start-up); a sink sees them one at a time.
    std::mutex reportMutex_;
};

// The process-wide log, built before anything else that logs.
DiagnosticLog& TheLog();

template <typename... Args> int LogMessage(const wchar_t* format, const Args&... args) {
    return TheLog().LogMessage(format, args...);
}

inline int LogText(WORD type, const wchar_t* text) {
    return TheLog().LogText(type, text);
}

} // namespace tarvane
