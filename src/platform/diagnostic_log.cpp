#include "platform/diagnostic_log.h"

#include "platform/product.h"
#include "platform/product_version.h"
#include "platform/system_time.h"

#ifndef _WIN32
#include <cstdio>
#include <string>
#endif

namespace tarvane {
namespace {

constexpr wchar_t kLineFormat[] = L"%04d-%02d-%02dT%02d:%02d:%02d.%03d {%s|%s} (%d) %s";

#ifdef _WIN32
class EventLogSink : public EventSink {
public:
    bool Report(std::wstring_view sourceName, WORD type, DWORD eventId, std::wstring_view line) override {
        const std::wstring source(sourceName);
        HANDLE handle = ::RegisterEventSourceW(nullptr, source.c_str());
        if (handle == nullptr) {
            return false;
        }
        const std::wstring text(line);
        LPCWSTR strings[1] = {text.c_str()};
        const BOOL reported = ::ReportEventW(handle, type, 0, eventId, nullptr, 1, 0, strings, nullptr);
        ::DeregisterEventSource(handle);
        return reported != FALSE;
    }
};
#else
class StandardErrorSink : public EventSink {
public:
    bool Report(std::wstring_view sourceName, WORD type, DWORD eventId, std::wstring_view line) override {
        std::string narrow;
        for (wchar_t ch : line) {
            narrow.push_back(static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?');
        }
        std::string source;
        for (wchar_t ch : sourceName) {
            source.push_back(static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?');
        }
        return std::fprintf(stderr, "%s[%u/%08X]: %s\n", source.c_str(), static_cast<unsigned>(type),
                            static_cast<unsigned>(eventId), narrow.c_str()) > 0;
    }
};
#endif

} // namespace

EventSink& SystemEventSink() {
#ifdef _WIN32
    static EventLogSink sink;
#else
    static StandardErrorSink sink;
#endif
    return sink;
}

DWORD EventIdForType(WORD type) {
    switch (type) {
    case EVENTLOG_WARNING_TYPE:
        return 0x80020002;
    case EVENTLOG_INFORMATION_TYPE:
        return 0x40020003;
    default:
        return 0xC0020001;
    }
}

const wchar_t* PlatformTag() {
    return sizeof(void*) == 8 ? L"x64" : L"x32";
}

DiagnosticLog::DiagnosticLog()
    : sourceName_(kApplicationName), versionText_(L"" TARVANE_VERSION_TEXT), sink_(&SystemEventSink()),
      clock_(CurrentUtcTime) {}

void DiagnosticLog::SetClock(std::function<SYSTEMTIME()> clock) {
    clock_ = clock ? std::move(clock) : std::function<SYSTEMTIME()>(CurrentUtcTime);
}

int DiagnosticLog::LogMessageArgs(const wchar_t* format, const FormatArg* args, std::size_t count) {
    const DWORD saved = GetThreadLastError();
    const wchar_t* pattern = format ? format : L"";
    int result = 0;
    bool formatted = false;
    try {
        std::wstring message;
        formatted = TryFormatArgs(message, pattern, args, count);
        if (formatted) {
            SetThreadLastError(saved);
            result = LogText(EVENTLOG_ERROR_TYPE, message.c_str());
        }
    } catch (const std::bad_alloc&) {
        formatted = false;
    }
    if (!formatted) {
        SetThreadLastError(saved);
        LogText(EVENTLOG_ERROR_TYPE, pattern);
        result = 0;
    }
    SetThreadLastError(saved);
    return result;
}

int DiagnosticLog::LogText(WORD type, const wchar_t* text) {
    const DWORD saved = GetThreadLastError();
    const SYSTEMTIME now = clock_();
    const FormatArg args[] = {
        now.wYear,        now.wMonth,        now.wDay,     now.wHour,     now.wMinute,
        now.wSecond,      now.wMilliseconds, versionText_, PlatformTag(), static_cast<LONG>(saved),
        text ? text : L""};
    const int result = WriteEventLine(type, kLineFormat, args, sizeof args / sizeof args[0]);
    SetThreadLastError(saved);
    return result;
}

int DiagnosticLog::WriteEventLine(WORD type, const wchar_t* format, const FormatArg* args,
                                  std::size_t count) {
    const DWORD saved = GetThreadLastError();
    int result = 0;
    try {
        std::wstring line;
        const wchar_t* pattern = format ? format : L"Msg";
        if (!TryFormatArgs(line, pattern, args, count)) {
            line = pattern;
        }
        const std::lock_guard<std::mutex> one(reportMutex_);
        result = sink_->Report(sourceName_, type, EventIdForType(type), line) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        const std::lock_guard<std::mutex> one(reportMutex_);
        result = sink_->Report(sourceName_, type, EventIdForType(type), L"##LOW_MEM##") ? 1 : 0;
    }
    SetThreadLastError(saved);
    return result;
}

DiagnosticLog& TheLog() {
    // Building the log on first use must not cost the caller its last error.
    const LastErrorKeeper keep;
    static DiagnosticLog log;
    return log;
}

} // namespace tarvane
