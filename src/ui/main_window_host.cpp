#include "ui/main_window_host.h"

#include "ui/prompts.h"

namespace tarvane::ui {

int MainWindowPrompts::ShowMessage(const std::wstring& text, UINT flags) {
    return ui::ShowMessage(owner_, text, flags);
}

FileChoice MainWindowPrompts::AskSavePath(std::wstring* path) {
    return AskBackupPath(owner_, true, path);
}

FileChoice MainWindowPrompts::AskOpenPath(std::wstring* path) {
    return AskBackupPath(owner_, false, path);
}

FileChoice MainWindowPrompts::AskZoneFilePath(const std::wstring& fileName, std::wstring* path) {
    return ui::AskZoneFilePath(owner_, fileName, path);
}

void MainWindowPrompts::BeginWaitCursor() {
    if (waitDepth_++ == 0) {
        previous_ = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    }
}

void MainWindowPrompts::EndWaitCursor() {
    if (waitDepth_ > 0 && --waitDepth_ == 0) {
        ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW));
    }
}

void MainWindowPrompts::Beep() {
    ::MessageBeep(MB_ICONHAND);
}

} // namespace tarvane::ui
