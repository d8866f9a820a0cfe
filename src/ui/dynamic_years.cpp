// The dynamic-year commands of the main window: Add Year (with its dialog),
// Remove Year, and Copy and Paste Year Settings through the clipboard. They
// change the selected zone's record in memory only.
#include "core/year_settings_text.h"
#include "platform/clipboard.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"

#include <algorithm>

namespace tarvane::ui {
namespace {

constexpr UINT kStop = MB_OK | MB_ICONERROR;

// WM_COMMAND's code for a command that came from an accelerator.
constexpr WORD kFromAccelerator = 1;

} // namespace

void CTarvaneDlg::InstallYearCommandRules() {
    SetUpdateRule(ID_YEARS_ADD, [this](const win::CommandUI& item) { item.Enable(editor_.CanAddYear()); });
    SetUpdateRule(ID_YEARS_REMOVE,
                  [this](const win::CommandUI& item) { item.Enable(editor_.CanRemoveYear()); });
    SetUpdateRule(ID_YEARS_COPY, [this](const win::CommandUI& item) { item.Enable(CanCopyYear()); });
    SetUpdateRule(ID_YEARS_PASTE, [this](const win::CommandUI& item) { item.Enable(CanPasteYear()); });
}

bool CTarvaneDlg::OnYearCommand(WORD id, WORD code) {
    switch (id) {
    case ID_YEARS_ADD:
        AddYear();
        return true;
    case ID_YEARS_REMOVE:
        RemoveYear();
        return true;
    case ID_YEARS_COPY:
        // A shortcut of a disabled command does nothing, as its menu item would.
        if (code != kFromAccelerator || CanCopyYear()) {
            CopyYearSettings();
        }
        return true;
    case ID_YEARS_PASTE:
        if (code != kFromAccelerator || CanPasteYear()) {
            PasteYearSettings();
        }
        return true;
    case IDC_ADD_YEAR:
        if (code == BN_CLICKED) {
            AddYear();
        }
        return code == BN_CLICKED;
    case IDC_REMOVE_YEAR:
        if (code == BN_CLICKED) {
            RemoveYear();
        }
        return code == BN_CLICKED;
    default:
        return false;
    }
}

bool CTarvaneDlg::CanCopyYear() {
    return EditorPanel::RulesOf(SelectedZone(), editor_.SelectedYear()) != nullptr;
}

bool CTarvaneDlg::CanPasteYear() {
    if (mode_ != EditMode::kEdit || EditorPanel::RulesOf(SelectedZone(), editor_.SelectedYear()) == nullptr) {
        return false;
    }
    DynamicYearRecord parsed{};
    return ParseYearSettings(GetClipboardText(Hwnd()), &parsed);
}

void CTarvaneDlg::AddYear() {
    if (!editor_.CanAddYear()) {
        LogText(EVENTLOG_ERROR_TYPE, L"[111]");
        ShowMessage(Hwnd(), L"Adding year is not available", kStop);
        return;
    }
    TimeZoneRecord* zone = SelectedZone();
    if (zone == nullptr) {
        LogText(EVENTLOG_ERROR_TYPE, L"[420]");
        ShowMessage(Hwnd(), L"There's no time zone selected", kStop);
        return;
    }
    const LONG zoneId = zone->id;
    AddYearExchange exchange;
    exchange.zone = zone;
    exchange.legacyOs = services_.facts.isLegacyOs;
    const INT_PTR answer = runAddYearDialog(Hwnd(), exchange);
    if (answer == -1) {
        LogMessage(L"ERROR: (%d) Can't display window to add year", static_cast<int>(::GetLastError()));
        ShowMessage(Hwnd(), L"ERROR: Can't display window to add year", kStop);
        return;
    }
    if (answer != IDOK) {
        return;
    }
    // The dialog ran its own message loop: look the zone up again rather than
    // trust the pointer it was given.
    zone = FindZoneById(zoneId);
    if (zone == nullptr) {
        LogText(EVENTLOG_ERROR_TYPE, L"[112]");
        ShowMessage(Hwnd(), L"There's no time zone selected", kStop);
        return;
    }

    DynamicYearRecord added{};
    added.year = static_cast<DWORD>(exchange.year);
    added.rules.tzi.Bias = zone->rules.tzi.Bias;
    if (exchange.copy) {
        const ZoneRules* source = exchange.copyFrom == 0
                                      ? &zone->rules
                                      : EditorPanel::RulesOf(zone, static_cast<DWORD>(exchange.copyFrom));
        if (source == nullptr) {
            LogMessage(L"[114] yr=%d", exchange.copyFrom);
            ShowMessage(Hwnd(), L"ERROR: Failed to copy data for the specified year", kStop);
            return;
        }
        added.rules = *source;
    }
    if (added.year == 0) {
        LogMessage(L"[113] yr=%d", exchange.year);
        ShowMessage(Hwnd(), L"ERROR: Invalid year specified", kStop);
        return;
    }
    auto& years = zone->years;
    const auto at = std::find_if(years.begin(), years.end(),
                                 [&](const DynamicYearRecord& year) { return year.year > added.year; });
    const auto inserted = years.insert(at, added);
    addedYears_.push_back(added);

    if (!editor_.OfferYear(added.year)) {
        LogMessage(L"[115] yr=%d", exchange.year);
        // A year the list does not offer is one the user was told was not
        // added: Save must not write it.
        years.erase(inserted);
        ShowMessage(Hwnd(), L"ERROR: Failed to add year", kStop);
    }
}

void CTarvaneDlg::RemoveYear() {
    if (!editor_.CanRemoveYear()) {
        LogText(EVENTLOG_ERROR_TYPE, L"[116]");
        ShowMessage(Hwnd(), L"Removing selected year is not possible.", kStop);
        return;
    }
    TimeZoneRecord* zone = SelectedZone();
    if (zone == nullptr) {
        LogText(EVENTLOG_ERROR_TYPE, L"[421]");
        ShowMessage(Hwnd(), L"There's no time zone selected", kStop);
        return;
    }
    const DWORD year = editor_.SelectedYear();
    if (year == 0) {
        // Kept though no path reaches it: CanRemoveYear above refuses the
        // default row first ([116]); this stays should that check change.
        LogText(EVENTLOG_ERROR_TYPE, L"[118]");
        ShowMessage(Hwnd(), L"Removing default year settings is not possible.", kStop);
        return;
    }
    if (ShowMessage(Hwnd(),
                    Format(L"Do you want to remove dynamic daylight saving settings for the year %u?", year),
                    MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) {
        return;
    }
    auto& years = zone->years;
    int index = -1;
    for (std::size_t i = 0; i < years.size(); ++i) {
        if (years[i].year == year) {
            index = static_cast<int>(i);
            break;
        }
    }
    // Only the ends of the group may go, so the years stay one run.
    if (index < 0 || (index != 0 && index != static_cast<int>(years.size()) - 1)) {
        LogMessage(L"[117] yr=%d, ind=%d", year, index);
        ShowMessage(Hwnd(), L"Cannot remove selected year", kStop);
        return;
    }
    if (!editor_.WithdrawYear(year)) {
        LogMessage(L"[119] yr=%d, ind=%d", year, index);
        ShowMessage(Hwnd(), L"FAILED to remove selected year", kStop);
        return;
    }
    years.erase(years.begin() + index);
    editor_.ShowYear(0);
}

void CTarvaneDlg::CopyYearSettings() {
    const DWORD year = editor_.SelectedYear();
    const ZoneRules* rules = EditorPanel::RulesOf(SelectedZone(), year);
    bool copied = false;
    if (rules != nullptr) {
        DynamicYearRecord record{};
        record.year = year;
        record.rules = *rules;
        copied = PutClipboardText(Hwnd(), FormatYearSettings(record));
    }
    if (!copied) {
        LogText(EVENTLOG_ERROR_TYPE, L"[120]");
        ::MessageBeep(MB_ICONHAND);
    }
}

void CTarvaneDlg::PasteYearSettings() {
    ZoneRules* rules =
        mode_ == EditMode::kEdit ? EditorPanel::RulesOf(SelectedZone(), editor_.SelectedYear()) : nullptr;
    DynamicYearRecord parsed{};
    if (rules == nullptr || !ParseYearSettings(GetClipboardText(Hwnd()), &parsed)) {
        ::MessageBeep(MB_ICONHAND);
        return;
    }
    // The year in the text is only where the settings came from.
    *rules = parsed.rules;
    editor_.OnYearChanged();
}

} // namespace tarvane::ui
