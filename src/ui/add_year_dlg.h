// The Add Year dialog: asks for the dynamic year to add to a zone, and
// whether to start it from the rules of the zone or of one of its years.
#pragma once

#include "core/time_zone_record.h"
#include "ui/program_dialog.h"
#include "win/icon_menu.h"

namespace tarvane::ui {

// What the dialog is given and what it hands back.
struct AddYearExchange {
    const TimeZoneRecord* zone = nullptr; // in: the zone to add to
    bool legacyOs = false; // in: the system may ignore dynamic years (major version 5 or lower)
    LONG year = 0;         // out: the year to add
    bool copy = false;     // out: start from existing rules
    LONG copyFrom = 0;     // out: the year to copy (0: the zone's own rules)
};

// The years a zone may have.
constexpr LONG kFirstDynamicYear = 1000;
constexpr LONG kLastDynamicYear = 9999;

class CAddYearDlg : public ProgramDialog {
public:
    // On a system that may ignore dynamic years (the exchange's `legacyOs`),
    // the dialog says so.
    explicit CAddYearDlg(AddYearExchange& exchange);

protected:
    bool OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    bool HasYear(LONG year) const;
    // Offers to copy the year next to the one to add.
    void SelectNeighbourToCopy();

    AddYearExchange& exchange_;
    bool zoneHasYears_ = false;
    int inputId_ = 0;
    win::ScaledIcon informationIcon_;
    win::ScaledIcon warningIcon_;
};

// Shows the dialog modally over `owner`: IDOK, IDCANCEL, or -1 when it could
// not be shown (the last error tells why).
INT_PTR RunAddYearDialog(HWND owner, AddYearExchange& exchange);

} // namespace tarvane::ui
