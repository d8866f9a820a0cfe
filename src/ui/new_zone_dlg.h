// The New Time Zone dialog: the new zone's key, and where its rules come
// from: a copy of the selected zone, or an IANA zone of the tz database (found
// by typing part of its name) for a range of years.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_table.h"
#include "ui/program_dialog.h"
#include "ui/tz_name_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvane::ui {

struct NewZoneExchange {
    const TzTable* table = nullptr;             // in: the IANA zones offered (null: a copy only)
    std::vector<std::wstring> existingKeys;     // in: the keys a new zone must not have
    const TimeZoneRecord* copySource = nullptr; // in: the zone a copy copies (null: none)
    std::wstring tzName;                        // in: the IANA zone chosen at first; out: the one chosen,
                                                // empty for a copy
    LONG firstYear = 0;                         // in and out
    LONG lastYear = 0;                          // in and out
    TimeZoneRecord zone;                        // out: the new zone, not saved
};

class CNewZoneDlg : public ProgramDialog {
public:
    explicit CNewZoneDlg(NewZoneExchange& exchange);

protected:
    bool OnInit() override;
    void OnOK() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool PreTranslateMessage(MSG& message, bool& dialogProcessing) override;

private:
    bool FromTz() const;
    // The IANA part is live only while its start is chosen.
    void EnableStarts();
    // Builds the zone from the tz database; false, with the user told why,
    // when the years chosen cannot make one.
    bool ZoneFromTz(const std::wstring& keyName);

    NewZoneExchange& exchange_;
    HICON informationIcon_ = nullptr;
    TzNameList names_;
};

// Shows the dialog modally over `owner`: IDOK with the zone made, IDCANCEL,
// or -1 when it could not be shown (the last error tells why).
INT_PTR RunNewZoneDialog(HWND owner, NewZoneExchange& exchange);

} // namespace tarvane::ui
