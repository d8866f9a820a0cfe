// The Fill From tz Database dialog: asks which IANA zone and which years
// give the edited zone its rules.
#pragma once

#include "tzdb/tz_table.h"
#include "ui/dialog.h"
#include "ui/drag_by_body.h"

#include <string>

namespace tarvane::ui {

struct TzFillExchange {
    const TzTable* table = nullptr; // in: the zones offered
    std::wstring tzName;            // in: the zone chosen at first (may be empty); out: the zone chosen
    LONG firstYear = 0;             // in and out
    LONG lastYear = 0;              // in and out
};

class CTzFillDlg : public Dialog {
public:
    explicit CTzFillDlg(TzFillExchange& exchange);

protected:
    bool OnInit() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Refuses the dialog's input with `message`, the focus on `id`.
    void Refuse(int id, const std::wstring& message);

    TzFillExchange& exchange_;
    HICON informationIcon_ = nullptr;
    DragByBody drag_;
};

// Shows the dialog modally over `owner`: IDOK, IDCANCEL, or -1 when it could
// not be shown (the last error tells why).
INT_PTR RunTzFillDialog(HWND owner, TzFillExchange& exchange);

} // namespace tarvane::ui
