// Stand-ins for what surrounds the backup commands: prompts that answer as
// told and record what they showed, a main window, the settings, the
// activation and an import tool that writes a .reg file into the in-memory
// registry.
#pragma once

#include "backup/backup_context.h"
#include "memory_files.h"
#include "fakes/memory_registry.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tarvane::test {

class FakePrompts : public Prompts {
public:
    struct Shown {
        std::wstring text;
        UINT flags;
    };
    std::vector<Shown> messages;
    std::deque<int> answers; // returned by ShowMessage in turn; IDOK when none left
    FileChoice saveResult = FileChoice::kChosen;
    std::wstring savePath = L"C:\\backup.trvbkp";
    FileChoice openResult = FileChoice::kChosen;
    std::wstring openPath = L"C:\\backup.trvbkp";
    int saveAsked = 0;
    int openAsked = 0;
    int waitDepth = 0;
    int maxWaitDepth = 0;
    int beeps = 0;

    int ShowMessage(const std::wstring& text, UINT flags) override {
        messages.push_back(Shown{text, flags});
        if (answers.empty()) {
            return IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    FileChoice AskSavePath(std::wstring* path) override {
        ++saveAsked;
        *path = saveResult == FileChoice::kChosen ? savePath : L"";
        return saveResult;
    }
    FileChoice AskOpenPath(std::wstring* path) override {
        ++openAsked;
        *path = openResult == FileChoice::kChosen ? openPath : L"";
        return openResult;
    }
    std::vector<std::wstring> proposedNames; // of each zone file dialog
    FileChoice AskZoneFilePath(const std::wstring& fileName, std::wstring* path) override {
        proposedNames.push_back(fileName);
        *path = saveResult == FileChoice::kChosen ? savePath : L"";
        return saveResult;
    }
    void BeginWaitCursor() override { maxWaitDepth = std::max(maxWaitDepth, ++waitDepth); }
    void EndWaitCursor() override { --waitDepth; }
    void Beep() override { ++beeps; }
};

class FakeWindow : public MainWindowOps {
public:
    EditMode mode = EditMode::kView;
    bool reloadResult = true;
    std::vector<bool> reloads; // the argument of each reload
    int titleUpdates = 0;
    int noticeRemovals = 0;
    std::optional<TimeZoneRecord> selected;
    bool notWritable = false;
    std::vector<std::wstring> relaunches;
    RelaunchOutcome relaunchResult = RelaunchOutcome::kRunning;
    struct EditCall {
        bool enter, reloadOnLeave, allowRelaunch;
    };
    std::vector<EditCall> editCalls;

    EditMode Mode() const override { return mode; }
    void SetEditMode(EditMode to, EditModeOptions options) override {
        const bool enter = to == EditMode::kEdit;
        editCalls.push_back(EditCall{enter, options.reloadOnLeave, options.allowRelaunch});
        mode = enter ? EditMode::kEdit : EditMode::kView;
    }
    bool ReloadZoneList(bool selectCurrent) override {
        reloads.push_back(selectCurrent);
        return reloadResult;
    }
    void UpdateTitle() override { ++titleUpdates; }
    void RemoveBackupNotice() override { ++noticeRemovals; }
    const TimeZoneRecord* SelectedZone() const override { return selected ? &*selected : nullptr; }
    bool RegistryNotWritable() const override { return notWritable; }
    RelaunchOutcome RelaunchAndClose(const std::wstring& parameters) override {
        relaunches.push_back(parameters);
        return relaunchResult;
    }
    // "new" or "del", with the relaunch allowed or not, in call order.
    std::vector<std::pair<std::wstring, bool>> zoneCommands;
    void NewTimeZone(bool allowRelaunch) override { zoneCommands.emplace_back(L"new", allowRelaunch); }
    void DeleteTimeZone(bool allowRelaunch) override { zoneCommands.emplace_back(L"del", allowRelaunch); }
};

class FakeSettings : public BackupSettings {
public:
    int writes = 0;
    bool result = true;
    bool WriteBackupSavedOnce() override {
        ++writes;
        return result;
    }
};

class FakeActivator : public ZoneActivator {
public:
    std::vector<TimeZoneRecord> activated;
    DWORD error = 0; // fails with this code when non-zero
    bool Activate(const TimeZoneRecord& record) override;
};

// "reg.exe import": reads the file named on the command line from the
// memory files and writes it into the registry; each step can fail.
class FakeImportTool : public ProcessApi {
public:
    FakeImportTool(MemoryRegistry& registry, MemoryFiles& files) : registry_(registry), files_(files) {}

    std::wstring systemDirectory = L"C:\\Windows\\system32";
    std::vector<std::wstring> commandLines;
    std::vector<std::vector<BYTE>> importedFiles; // the bytes of each file it was given
    DWORD startError = 0;                         // Start fails with this code
    bool noProcessHandle = false;
    DWORD waitResult = 0;          // WAIT_OBJECT_0 unless set
    DWORD waitError = 0;           // the last error a failed wait leaves
    DWORD exitCodeError = 0;       // GetExitCodeProcess fails with this code
    std::optional<DWORD> exitCode; // the tool's exit code instead of the import's own
    bool writes = true;            // the import writes the file into the registry
    int keysWritten = -1;          // then only this many of its keys (-1: all)
    DWORD terminateError = 0;      // Terminate fails with this code
    int opened = 0;
    int closed = 0;
    int terminated = 0;

    std::wstring SystemDirectory() override { return systemDirectory; }
    bool Start(const std::wstring& commandLine, ProcessHandles* handles) override;
    DWORD Wait(const ProcessHandles& handles, DWORD milliseconds) override;
    bool ExitCode(const ProcessHandles& handles, DWORD* code) override;
    bool Terminate(const ProcessHandles& handles) override;
    void Close(const ProcessHandles& handles) override;

    DWORD lastWaitMs = 0;

private:
    MemoryRegistry& registry_;
    MemoryFiles& files_;
    DWORD importExit_ = 0;
};

// Every stand-in above wired into one context, over the in-memory registry
// and files; a test fixture derives from it.
struct FakeBackupWorld {
    MemoryRegistry registry;
    MemoryFiles files;
    FakeImportTool tool{registry, files};
    FakePrompts prompts;
    FakeWindow window;
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{registry, files, tool, prompts, window, settings, activator};
};

} // namespace tarvane::test
