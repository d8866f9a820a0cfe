// Edit mode of the main window: switching modes, and writing every change the
// user makes in a control straight into the edited record.
#include "backup/command_line.h"
#include "core/zone_loader.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"
#include "ui/editor_controls.h"
#include "ui/prompts.h"
#include "win/wait_cursor.h"

#include <climits>

namespace tarvane::ui {
namespace {

LONG Saturate(long long value) {
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<LONG>(value);
}

} // namespace

void CTarvaneDlg::SetEditMode(EditMode mode, EditModeOptions options) {
    const bool enter = mode == EditMode::kEdit;
    ScopedWaitCursor wait;
    if (enter) {
        TimeZoneRecord* zone = SelectedZone();
        if (zone == nullptr) {
            LogText(EVENTLOG_ERROR_TYPE, L"[106]");
            ShowMessage(Hwnd(), L"Select time zone first to be able to edit it", MB_OK | MB_ICONERROR);
            wait.End();
            return;
        }
        editedZoneId_ = zone->id;
        editStartedOnCurrent_ = zone->isCurrent != 0;
        // What the user's edit starts from: a save compares the registry
        // with it, and closing the window with the edit.
        editSnapshot_ = *zone;
        addedYears_.clear();
        namesLockedSaid_ = false;
        RegKey stored(services_.registry);
        editZoneStored_ = stored.Open(kHkeyLocalMachine, Format(L"%s\\%s", kTimeZonesPath, zone->keyName),
                                      KEY_READ) != static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        if (options.allowRelaunch && registryNotWritable_) {
            RelaunchAndClose(Format(L"%s \"%s\"", L"e", EscapeForCommandLine(zone->keyName)));
            wait.End();
            return;
        }
    } else {
        LeaveNewZone();
        editedZoneId_ = 0;
    }
    mode_ = enter ? EditMode::kEdit : EditMode::kView;
    editInProgress_ = false;
    const bool listHadFocus = ::GetFocus() == zoneList_.Hwnd();
    bool reloadFailed = false;
    if (!enter && options.reloadOnLeave && !ReloadZoneList(false)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[157]");
        reloadFailed = true;
    }
    ::ShowWindow(zoneList_.Hwnd(), enter ? SW_HIDE : SW_SHOW);
    for (int id : {IDC_ADD_YEAR, IDC_REMOVE_YEAR, IDC_TZ_FILL, IDC_SAVE_CHANGES, IDC_CANCEL_EDIT}) {
        ShowItem(id, enter);
    }
    if (enter) {
        ::SendMessageW(Item(IDC_CANCEL_EDIT), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        ::SendMessageW(Item(IDC_SAVE_CHANGES), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        ::SendMessageW(Hwnd(), DM_SETDEFID, IDC_SAVE_CHANGES, 0);
        UpdateYearButtons();
        syncNoticeShown_ = services_.timeSyncIsAutomatic && services_.timeSyncIsAutomatic();
    } else {
        syncNoticeShown_ = false;
    }
    ShowItem(IDC_SYNC_LINK, syncNoticeShown_);
    ShowZone(SelectedZone());
    if (enter) {
        editInProgress_ = true;
    }
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ::UpdateWindow(Hwnd());
    if (reloadFailed) {
        ShowMessage(Hwnd(), L"ERROR: Failed to reload list of time zones", MB_OK | MB_ICONERROR);
    }
    if (const TimeZoneRecord* zone = enter ? SelectedZone() : nullptr; zone && !zone->damagedYears.empty()) {
        ShowMessage(Hwnd(),
                    Format(L"These dynamic daylight saving years of \"%s\" cannot be read from the registry: "
                           L"%s.\n\nSave Changes will drop exactly these years and keep every other year.",
                           zone->displayName, YearRunsText(zone->damagedYears)),
                    MB_OK | MB_ICONWARNING);
    }
    if (!enter) {
        ::SetFocus(zoneList_.Hwnd());
    } else if (listHadFocus) {
        ::SetFocus(Item(IDC_YEAR));
    }
    wait.End();
}

bool CTarvaneDlg::ConfirmClose() {
    const TimeZoneRecord* zone = mode_ == EditMode::kEdit ? FindZoneById(editedZoneId_) : nullptr;
    if (zone == nullptr ||
        (SameStoredZone(*zone, editSnapshot_) && zone->isCurrent == editSnapshot_.isCurrent)) {
        return true;
    }
    const int answer = ShowMessage(Hwnd(),
                                   Format(L"The time zone \"%s\" has changes that are not saved.\n\n"
                                          L"Do you want to save them before closing?",
                                          zone->displayName),
                                   MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDNO) {
        return true;
    }
    if (answer == IDYES) {
        SaveChanges();
        return mode_ == EditMode::kView; // saved: Save Changes left edit mode
    }
    return false;
}

void CTarvaneDlg::StoreOffset(const OffsetIds& ids, LONG* bias) {
    const long long minutes = ReadDecimal(ItemText(ids.hours)) * 60 + ReadDecimal(ItemText(ids.minutes));
    const bool east = ComboBox(Item(ids.sign)).SelectedData(-1) == 1;
    *bias = Saturate(east ? -minutes : minutes);
}

void CTarvaneDlg::EditHook(UINT message, WPARAM wParam, LPARAM lParam) {
    TimeZoneRecord* zone = SelectedZone();
    ZoneRules* rules = RulesOf(zone, SelectedYear());
    if (zone == nullptr || rules == nullptr) {
        return;
    }
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (code == EN_CHANGE) {
            switch (id) {
            case IDC_DISPLAY_NAME:
                zone->displayName = ItemText(id);
                break;
            case IDC_STD_NAME:
                zone->standardName = ItemText(id);
                break;
            case IDC_DST_NAME:
                zone->daylightName = ItemText(id);
                break;
            case IDC_BIAS_HOURS:
            case IDC_BIAS_MINUTES:
                StoreOffset(kBiasIds, &rules->tzi.Bias);
                break;
            case IDC_STD_HOURS:
            case IDC_STD_MINUTES:
                StoreOffset(kStandardOffsetIds, &rules->tzi.StandardBias);
                break;
            case IDC_DST_HOURS:
            case IDC_DST_MINUTES:
                StoreOffset(kDaylightOffsetIds, &rules->tzi.DaylightBias);
                break;
            default:
                break;
            }
        } else if (code == CBN_SELCHANGE) {
            const LPARAM chosen = ComboBox(reinterpret_cast<HWND>(lParam)).SelectedData(-1);
            auto setSign = [chosen](LONG* bias) {
                const long long magnitude = *bias < 0 ? -static_cast<long long>(*bias) : *bias;
                *bias = Saturate(chosen == 1 ? -magnitude : magnitude);
            };
            switch (id) {
            case IDC_BIAS_SIGN:
                setSign(&rules->tzi.Bias);
                break;
            case IDC_STD_SIGN:
                setSign(&rules->tzi.StandardBias);
                break;
            case IDC_DST_SIGN:
                setSign(&rules->tzi.DaylightBias);
                break;
            case IDC_STD_OCCURS:
                rules->standardOccurs = static_cast<LONG>(chosen);
                break;
            case IDC_DST_OCCURS:
                rules->daylightOccurs = static_cast<LONG>(chosen);
                break;
            case IDC_STD_MONTH:
                rules->tzi.StandardDate.wMonth = static_cast<WORD>(chosen);
                break;
            case IDC_STD_WEEK:
                rules->tzi.StandardDate.wDay = static_cast<WORD>(chosen);
                break;
            case IDC_STD_DAY_OF_WEEK:
                rules->tzi.StandardDate.wDayOfWeek = static_cast<WORD>(chosen);
                break;
            case IDC_DST_MONTH:
                rules->tzi.DaylightDate.wMonth = static_cast<WORD>(chosen);
                break;
            case IDC_DST_WEEK:
                rules->tzi.DaylightDate.wDay = static_cast<WORD>(chosen);
                break;
            case IDC_DST_DAY_OF_WEEK:
                rules->tzi.DaylightDate.wDayOfWeek = static_cast<WORD>(chosen);
                break;
            default:
                break;
            }
        } else if (code == BN_CLICKED) {
            if (id == IDC_CURRENT_ZONE) {
                zone->isCurrent = IsChecked(IDC_CURRENT_ZONE) ? 1 : 0;
            } else if (id == IDC_DST_ENABLED) {
                rules->dstEnabled = IsChecked(IDC_DST_ENABLED) ? 1 : 0;
            }
        }
        return;
    }
    if (message != WM_NOTIFY) {
        return;
    }
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code != DTN_DATETIMECHANGE) {
        return;
    }
    const SYSTEMTIME picked = reinterpret_cast<const NMDATETIMECHANGE*>(lParam)->st;
    auto siblingOr = [this](int id) {
        SYSTEMTIME value{};
        if (!DateTimePicker(Item(id)).GetTime(&value)) {
            ::GetLocalTime(&value);
        }
        return value;
    };
    auto setTime = [&picked](SYSTEMTIME* date) {
        date->wHour = picked.wHour;
        date->wMinute = picked.wMinute;
        date->wSecond = picked.wSecond;
        date->wMilliseconds = 0;
    };
    switch (header->idFrom) {
    case IDC_STD_TIME:
        setTime(&rules->tzi.StandardDate);
        break;
    case IDC_DST_TIME:
        setTime(&rules->tzi.DaylightDate);
        break;
    case IDC_STD_DATE:
    case IDC_DST_DATE: {
        const bool standard = header->idFrom == IDC_STD_DATE;
        const SYSTEMTIME time = siblingOr(standard ? IDC_STD_ONCE_TIME : IDC_DST_ONCE_TIME);
        SYSTEMTIME& target = standard ? rules->standardAbsoluteDate : rules->daylightAbsoluteDate;
        target = SYSTEMTIME{picked.wYear, picked.wMonth, 0, picked.wDay, time.wHour,
                            time.wMinute, time.wSecond,  0};
        break;
    }
    case IDC_STD_ONCE_TIME:
    case IDC_DST_ONCE_TIME: {
        const bool standard = header->idFrom == IDC_STD_ONCE_TIME;
        const SYSTEMTIME date = siblingOr(standard ? IDC_STD_DATE : IDC_DST_DATE);
        SYSTEMTIME& target = standard ? rules->standardAbsoluteDate : rules->daylightAbsoluteDate;
        target = SYSTEMTIME{date.wYear,     date.wMonth,    0, date.wDay, picked.wHour,
                            picked.wMinute, picked.wSecond, 0};
        break;
    }
    default:
        break;
    }
}

} // namespace tarvane::ui
