// The editor panel of the main window: the controls on the right that show
// one zone's names, offsets and transitions, year by year.
//
//   EditorHost   what the panel reads of the window that holds it
//   EditorPanel  fills the controls from a zone, decides which of them may
//                change in view and in edit mode, and takes the user's
//                edits back into the record
#pragma once

#include "backup/host.h"
#include "core/time_zone_record.h"
#include "platform/clock_api.h"
#include "platform/registry.h"
#include "win/dialog.h"

namespace tarvane::ui {

// The controls of one "Occurs On" group.
struct TransitionIds {
    int month;
    int week;
    int dayOfWeek;
    int time;
    int date;
    int onceTime;
};

// The controls of one offset: sign list, hours edit, minutes edit and their spins.
struct OffsetIds {
    int sign;
    int hours;
    int hoursSpin;
    int minutes;
    int minutesSpin;
};

// The window's state the panel follows; read at every fill and every edit.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    virtual EditMode Mode() const = 0;
    // The zone whose row has the focus, or null.
    virtual TimeZoneRecord* SelectedZone() = 0;
    // The zone being edited is a new one, not in the registry yet.
    virtual bool EditingNewZone() const = 0;
};

class EditorPanel {
public:
    // `window` holds the panel's controls; `registry` holds AllowEditDSTzNames.
    EditorPanel(const win::Dialog& window, EditorHost& host, RegistryApi& registry, ClockApi& clock)
        : window_(window), host_(host), registry_(registry), clock_(clock) {}
    EditorPanel(const EditorPanel&) = delete;
    EditorPanel& operator=(const EditorPanel&) = delete;

    // Fills the fixed lists and limits once the window's controls exist.
    void Create();

    // Attributes.
    // The rules of `year` of `zone` (0: the zone's own), or null.
    static ZoneRules* RulesOf(TimeZoneRecord* zone, DWORD year);
    DWORD SelectedYear() const;
    // How often the panel was filled from a zone (one click, one update).
    int Updates() const { return updates_; }
    // The setting AllowEditDSTzNames, as the registry holds it now.
    bool NamesEditable() const;
    // When the "+" and "-" buttons and their commands are available.
    bool CanAddYear() const;
    bool CanRemoveYear() const;
    // One of the offsets' hours and minutes boxes, read-only now.
    bool IsReadOnlyOffsetBox(HWND window) const;
    // One of the three name boxes, read-only because AllowEditDSTzNames is off.
    bool IsLockedNameBox(HWND window) const;
    // One of the date and time pickers shows its calendar.
    bool CalendarOpen() const;

    // Operations.
    void ShowZone(TimeZoneRecord* zone);
    void ShowRules(TimeZoneRecord* zone, DWORD year);
    // Shows a zone whose record was changed outside the controls: what the
    // fill writes into them is not taken back as an edit.
    void ShowChangedZone(TimeZoneRecord* zone);
    // Selects `year` in the year list and shows its rules, when the list has it.
    void ShowYear(DWORD year);
    // Adds a year the record has just gained to the year list, in its
    // order, and shows it; false when the list refuses it (nothing added).
    bool OfferYear(DWORD year);
    // Takes a year the record is about to lose out of the year list; false
    // when the list refuses.
    bool WithdrawYear(DWORD year);
    void UpdateYearButtons();
    // The year list's choice changed: its rules are shown.
    void OnYearChanged();
    // A picker with the focus hands over what is being typed into it.
    void FinishTyping() const;

    // Edits: while taken, every change in a control goes into the selected
    // zone's record (and the rules of the year shown).
    void BeginEdit() { namesLockedSaid_ = false; }
    void TakeEdits(bool take) { takingEdits_ = take; }
    // WM_COMMAND and WM_NOTIFY of the window; view mode takes nothing.
    void TakeEdit(UINT message, WPARAM wParam, LPARAM lParam);
    // The panel's own handling of the window's commands (the year list, the
    // daylight check box, the "Occurs" lists); true when handled.
    bool OnCommand(WORD id, WORD code);
    // A key or wheel message on its way to a control of the panel; true when
    // the panel consumed it.
    bool PreTranslateMessage(const MSG& message);

private:
    void FillFixedLists();
    // Tooltips that name the commands of the "+" and "-" buttons.
    void AddYearButtonTips();
    bool Editing() const { return host_.Mode() == EditMode::kEdit; }
    void ShowGroups(TimeZoneRecord* zone, ZoneRules* rules, bool dstChecked);
    void ShowOffset(const OffsetIds& ids, const LONG* bias, bool enabled);
    void ShowTransition(LONG kind, SYSTEMTIME* recurring, SYSTEMTIME* once, const TransitionIds& ids);
    void OnDstClicked();
    void OnOccursChanged(int listId);

    const win::Dialog& window_;
    EditorHost& host_;
    RegistryApi& registry_;
    ClockApi& clock_;
    int updates_ = 0;
    bool takingEdits_ = false;
    // The user has been told, in this edit, why the names cannot be typed in.
    bool namesLockedSaid_ = false;
};

} // namespace tarvane::ui
