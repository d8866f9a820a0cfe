// The Check Against tz Database dialog: the check's result, a row a zone for
// the machine's region, with the key's other regions on request, to read,
// copy (Ctrl+C) and save as CSV; Enter or a double click goes to a zone, and
// Choose IANA Zone asks which zone a zone without a mapping is compared with.
#pragma once

#include "resources/resource.h"
#include "tzdb/tz_check.h"
#include "ui/program_dialog.h"
#include "ui/tz_name_list.h"
#include "win/list_view.h"

#include <string>
#include <vector>

namespace tarvane::ui {

struct TzCheckExchange {
    const std::vector<ZoneCheck>* checks = nullptr; // in: the rows
    std::wstring intro;                             // in: what was compared with what
    std::wstring regionText;                        // in: "Canada (CA)", for the summary
    std::wstring focusKey;                          // in: the zone whose row has the focus at first
    std::wstring chosenKey;                         // out: the zone gone to, or to choose a zone for
};

// The dialog's answer when the user asked to choose the IANA zone of
// `chosenKey`: the caller asks, remembers the choice and checks again.
constexpr INT_PTR kChooseTzZoneAnswer = IDC_TZ_CHECK_CHOOSE;

class CTzCheckDlg : public ProgramDialog {
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
    // Enter in the list goes to its focused zone, as a double click does.
    bool PreTranslateMessage(MSG& message, bool& dialogProcessing) override;

private:
    // Ends the dialog on the zone of `row`.
    void GoToRow(int row);
    // Choose IANA Zone is live for a zone's own row without a mapping, or
    // with a zone chosen before.
    void EnableChoose();
    const ZoneCheck* FocusedCheck() const;
    // Fills the list: each zone's own row, and the other regions' rows when
    // "Show every region" is checked.
    void FillList();
    std::vector<const ZoneCheck*> Rows(bool selectedOnly) const;

    TzCheckExchange& exchange_;
    win::ListView list_;
};

// Shows the dialog modally over `owner`: IDOK when a zone was chosen,
// IDCANCEL when closed, -1 when it could not be shown.
INT_PTR RunTzCheckDialog(HWND owner, TzCheckExchange& exchange);

struct TzChooseExchange {
    const TzTable* table = nullptr; // in: the zones offered
    std::wstring zoneKey;           // in: the registry's zone
    std::wstring tzName;            // in: the zone chosen before (may be empty); out: the zone chosen
};

class CTzChooseDlg : public ProgramDialog {
public:
    explicit CTzChooseDlg(TzChooseExchange& exchange);

protected:
    bool OnInit() override;
    void OnOK() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool PreTranslateMessage(MSG& message, bool& dialogProcessing) override;

private:
    TzChooseExchange& exchange_;
    TzNameList names_;
};

// Shows Choose IANA Zone modally over `owner`: IDOK with a zone chosen,
// IDCANCEL, or -1 when it could not be shown.
INT_PTR RunTzChooseDialog(HWND owner, TzChooseExchange& exchange);

} // namespace tarvane::ui
