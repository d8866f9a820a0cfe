// The Fill From tz Database dialog: asks which IANA zone and which years
// give the edited zone its rules.
#pragma once

#include "tzdb/tz_check.h"
#include "tzdb/tz_table.h"
#include "win/dialog.h"
#include "ui/program_dialog.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvane::ui {

// The two year fields of the tz dialogs, each an edit with its spin: the
// first and the last year of a range within the tz table's years.
struct YearRangeIds {
    int first;
    int firstSpin;
    int last;
    int lastSpin;
};

// Tells the user why the dialog's input is refused, the focus on control `id`.
void RefuseInput(const win::Dialog& dialog, int id, const std::wstring& message);

// Fills the fields with `firstYear` and `lastYear`.
void ShowYearRange(const win::Dialog& dialog, const YearRangeIds& ids, LONG firstYear, LONG lastYear);

// The first and last year the fields hold; none once the user has been told
// what is wrong, with the focus on that field.
std::optional<std::pair<LONG, LONG>> ReadYearRange(const win::Dialog& dialog, const YearRangeIds& ids);

struct TzFillExchange {
    const TzTable* table = nullptr;  // in: the zones offered
    std::vector<TzZoneOffer> offers; // in: the zone key's own zones, listed first
    std::wstring tzName;             // in: the zone chosen at first (may be empty); out: the zone chosen
    LONG firstYear = 0;              // in and out
    LONG lastYear = 0;               // in and out
};

class CTzFillDlg : public ProgramDialog {
public:
    explicit CTzFillDlg(TzFillExchange& exchange);

protected:
    bool OnInit() override;
    void OnOK() override;

private:
    TzFillExchange& exchange_;
    HICON informationIcon_ = nullptr;
};

// Shows the dialog modally over `owner`: IDOK, IDCANCEL, or -1 when it could
// not be shown (the last error tells why).
INT_PTR RunTzFillDialog(HWND owner, TzFillExchange& exchange);

} // namespace tarvane::ui
