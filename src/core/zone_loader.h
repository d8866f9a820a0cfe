// Loading the time-zone database from the registry into the main window's
// list of records and its zone list view.
#pragma once

#include "core/time_zone_record.h"
#include "platform/registry.h"
#include "platform/time_zone_api.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarvane {

// The zone list as the loader fills it: the list view of the main window, or
// a stand-in in tests.
class ZoneListView {
public:
    virtual ~ZoneListView() = default;
    virtual void SetRedraw(bool enable) = 0;
    virtual void DeleteAllItems() = 0;
    // Inserts a row with `text` at `index`; the new row's index, or -1.
    virtual int InsertItem(int index, const std::wstring& text) = 0;
    virtual bool SetItemData(int row, LPARAM data) = 0;
    // Selects and focuses the row.
    virtual void SelectRow(int row) = 0;
    // Scrolls the row fully into view.
    virtual void EnsureVisible(int row) = 0;
};

// The machine's current zone: the platform's time-zone id, `info` filled when
// given, `keyName` set (whatever the result) when given. Without
// GetDynamicTimeZoneInformation the key name is the standard name.
DWORD QueryCurrentZone(TimeZoneApi& timeZones, TimeZoneInfo* info, std::wstring* keyName);

// The zone `keyName` as the registry holds it now, with its dynamic years,
// as LoadTimeZones reads each zone (id and current flag not set). False with
// the Windows code in the last-error slot when its key cannot be opened
// (ERROR_FILE_NOT_FOUND: there is no such zone), ERROR_INVALID_PARAMETER for
// an empty name, or ERROR_INVALID_DATA when a value the list needs cannot be
// read.
bool LoadZone(RegistryApi& registry, const std::wstring& keyName, TimeZoneRecord* record);

// Rebuilds `records` from the registry, ordered by Bias from west to east,
// and marks the current zone. True when every step succeeded; `records` then
// holds whatever could be read.
bool ReadTimeZones(RegistryApi& registry, TimeZoneApi& timeZones, std::vector<TimeZoneRecord>& records);

// Refills `view` with a row for each record. `selectKey`: none selects no
// row, an empty text the current zone, otherwise the zone with that key name.
// False when a row could not be added.
bool FillZoneList(ZoneListView& view, const std::vector<TimeZoneRecord>& records,
                  const std::optional<std::wstring>& selectKey);

// ReadTimeZones, then FillZoneList: true when both succeeded.
bool LoadTimeZones(RegistryApi& registry, TimeZoneApi& timeZones, ZoneListView& view,
                   std::vector<TimeZoneRecord>& records, const std::optional<std::wstring>& selectKey);

// ReadTimeZones on a thread of its own, so that the main window's controls
// can be built meanwhile: most of both is waiting on the system (registry and
// window calls), which the two threads do side by side. Nothing else may use
// `registry` or `timeZones` until Take has returned.
class BackgroundZoneLoad {
public:
    BackgroundZoneLoad(RegistryApi& registry, TimeZoneApi& timeZones);
    // Waits for the reading if Take did not.
    ~BackgroundZoneLoad();
    BackgroundZoneLoad(const BackgroundZoneLoad&) = delete;
    BackgroundZoneLoad& operator=(const BackgroundZoneLoad&) = delete;

    // Waits for the reading and hands over its records: ReadTimeZones's
    // result, with its last error in this thread's slot. Once only.
    bool Take(std::vector<TimeZoneRecord>& records);

private:
    std::vector<TimeZoneRecord> records_;
    bool read_ = false;
    DWORD error_ = 0;
    std::thread thread_; // last: it starts once the rest is built
};

} // namespace tarvane
