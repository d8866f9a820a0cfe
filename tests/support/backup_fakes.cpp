#include "backup_fakes.h"

#include "backup/backup_file.h"
#include "platform/last_error.h"
#include "reg_file.h"

#include <iterator>

namespace tarvane::test {

bool FakeActivator::Activate(const TimeZoneRecord& record) {
    activated.push_back(record);
    SetThreadLastError(error);
    return error == 0;
}

bool FakeImportTool::Start(const std::wstring& commandLine, ProcessHandles* handles) {
    commandLines.push_back(commandLine);
    *handles = ProcessHandles{};
    if (startError != 0) {
        SetThreadLastError(startError);
        return false;
    }
    if (!noProcessHandle) {
        handles->process = 0x500;
        handles->thread = 0x504;
        ++opened;
    }
    // The import runs at once: the path is the last quoted part.
    importExit_ = 1;
    const std::size_t close = commandLine.rfind(L'"');
    const std::size_t open = close == std::wstring::npos ? close : commandLine.rfind(L'"', close - 1);
    const std::wstring path =
        open == std::wstring::npos ? L"" : commandLine.substr(open + 1, close - open - 1);
    const auto file = files_.files.find(path);
    importedFiles.push_back(file == files_.files.end() ? std::vector<BYTE>() : file->second);
    std::wstring text;
    if (open != std::wstring::npos && LoadTextFile(files_, path, text)) {
        RegFile file;
        std::string error;
        if (ParseRegText(text, &file, &error)) {
            if (writes) {
                // A tool stopped part way leaves the keys it got to.
                while (keysWritten >= 0 && file.size() > static_cast<std::size_t>(keysWritten)) {
                    file.erase(std::prev(file.end()));
                }
                ApplyRegFile(registry_, file);
            }
            importExit_ = 0;
        }
    }
    SetThreadLastError(0);
    return true;
}

DWORD FakeImportTool::Wait(const ProcessHandles&, DWORD milliseconds) {
    lastWaitMs = milliseconds;
    if (waitResult != 0) {
        SetThreadLastError(waitError);
    }
    return waitResult;
}

bool FakeImportTool::ExitCode(const ProcessHandles&, DWORD* code) {
    if (exitCodeError != 0) {
        SetThreadLastError(exitCodeError);
        return false;
    }
    *code = exitCode.value_or(importExit_);
    return true;
}

bool FakeImportTool::Terminate(const ProcessHandles&) {
    ++terminated;
    SetThreadLastError(terminateError);
    return terminateError == 0;
}

void FakeImportTool::Close(const ProcessHandles& handles) {
    if (handles.process != 0) {
        ++closed;
    }
}

} // namespace tarvane::test
