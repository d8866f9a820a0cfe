#include "ui/file_drop.h"

#include "backup/restore.h"
#include "win/scoped_handle.h"

#include <string>
#include <vector>

namespace tarvane::ui {
namespace {

// The drop's memory, freed (DragFinish) on every path out of the handler.
struct DropTraits {
    static HDROP Invalid() { return nullptr; }
    static void Free(HDROP drop) { ::DragFinish(drop); }
};

} // namespace

void OnDropFiles(BackupContext& context, HDROP drop) {
    const win::ScopedGeneric<HDROP, DropTraits> held(drop);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> names;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) {
            continue;
        }
        std::vector<wchar_t> name(length + 1, 0);
        if (::DragQueryFileW(drop, i, name.data(), length + 1) != length) {
            continue;
        }
        names.emplace_back(name.data(), length);
    }
    if (count == 0) {
        context.prompts.Beep();
        return;
    }
    if (names.empty()) {
        names.emplace_back(); // none qualifies: the handler beeps
    }
    DropBackupFiles(context, names);
}

} // namespace tarvane::ui
