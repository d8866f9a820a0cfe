// The Check Against tz Database dialog: the check's result, a row a zone for
// the machine's region, with the key's other regions on request, to read,
// copy (Ctrl+C) and save as CSV; Enter or a double click goes to a zone.
#pragma once

#include "tzdb/tz_check.h"
#include "win/dialog.h"
#include "win/drag_by_body.h"
#include "win/list_view.h"

#include <string>
#include <vector>

namespace tarvane::ui {

struct TzCheckExchange {
    const std::vector<ZoneCheck>* checks = nullptr; // in: the rows
    std::wstring intro;                             // in: what was compared with what
    std::wstring regionText;                        // in: "Canada (CA)", for the summary
    std::wstring chosenKey;                         // out: the zone double-clicked
};

class CTzCheckDlg : public Dialog {
public:
    explicit CTzCheckDlg(TzCheckExchange& exchange);

    // Ctrl+C: the selected rows with their header, or every row when none is
    // selected, as tab-separated text on the clipboard.
    void CopyRows();
    // Asks for a file name and writes every row to it as CSV.
    void SaveCsv();

protected:
    bool OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Enter in the list goes to its focused zone, as a double click does.
    bool PreTranslateMessage(MSG& message, bool& dialogProcessing) override;

private:
    // Ends the dialog on the zone of `row`.
    void GoToRow(int row);
    // Fills the list: each zone's own row, and the other regions' rows when
    // "Show every region" is checked.
    void FillList();
    std::vector<const ZoneCheck*> Rows(bool selectedOnly) const;

    TzCheckExchange& exchange_;
    ListView list_;
    DragByBody drag_;
};

// Shows the dialog modally over `owner`: IDOK when a zone was chosen,
// IDCANCEL when closed, -1 when it could not be shown.
INT_PTR RunTzCheckDialog(HWND owner, TzCheckExchange& exchange);

} // namespace tarvane::ui
