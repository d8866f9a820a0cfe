#include "core/zone_loader.h"

#include "core/registry_values.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"

#include <algorithm>
#include <unordered_set>

namespace tarvane {
namespace {

constexpr DWORD kKeyNameCapacity = 260;

// Reads the years FirstEntry..LastEntry of an open Dynamic DST key, stopping
// at the first year that cannot be read. Every value is read with one
// registry call: under Wine each call is a round trip to the wineserver, and
// the years are most of the database.
void ReadDynamicYears(const RegKey& dynamicKey, std::vector<DynamicYearRecord>& years) {
    DWORD first = 0;
    DWORD last = 0;
    if (!ReadNumberValueInOneCall(dynamicKey, L"FirstEntry", &first) ||
        !ReadNumberValueInOneCall(dynamicKey, L"LastEntry", &last) || first > last) {
        return;
    }
    for (DWORD year = first;; ++year) {
        TziBlock block{};
        if (!ReadTziValueInOneCall(dynamicKey, Format(L"%u", year), &block)) {
            break;
        }
        DynamicYearRecord record{year, DeriveRules(block)};
        auto at = std::upper_bound(years.begin(), years.end(), year,
                                   [](DWORD y, const DynamicYearRecord& other) { return y < other.year; });
        years.insert(at, record);
        if (year == last) {
            break;
        }
    }
}

} // namespace

DWORD QueryCurrentZone(TimeZoneApi& timeZones, TimeZoneInfo* info, std::wstring* keyName) {
    TimeZoneInfo local;
    TimeZoneInfo* target = info ? info : &local;
    *target = TimeZoneInfo{};
    DWORD result = 0;
    if (timeZones.HasGetDynamicTimeZoneInformation()) {
        result = timeZones.GetDynamicTimeZoneInformation(target);
        if (keyName != nullptr) {
            *keyName = target->timeZoneKeyName;
        }
    } else {
        result = timeZones.GetTimeZoneInformation(target);
        if (keyName != nullptr) {
            *keyName = target->standardName;
        }
    }
    return result;
}

bool LoadTimeZones(RegistryApi& registry, TimeZoneApi& timeZones, ZoneListView& view,
                   std::vector<TimeZoneRecord>& records, const std::optional<std::wstring>& selectKey) {
    bool result = true;
    view.SetRedraw(false);
    view.DeleteAllItems();
    records.clear();

    std::wstring currentKey;
    QueryCurrentZone(timeZones, nullptr, &currentKey);
    bool currentToFind = true;
    LONG lastId = 0;
    std::unordered_set<LONG> ids;

    RegKey root(registry);
    if (const LONG opened = root.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_ENUMERATE_SUB_KEYS);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        LogText(EVENTLOG_ERROR_TYPE, L"[101]");
        result = false;
    } else {
        RegistryKeyIterator zones(registry, root.Handle(), kKeyNameCapacity);
        while (zones.Next()) {
            const std::wstring& name = zones.Name();
            RegKey zoneKey(registry);
            const LONG opened = zoneKey.Open(root.Handle(), name, KEY_READ);
            if (opened != ERROR_SUCCESS) {
                SetThreadLastError(static_cast<DWORD>(opened));
                LogMessage(L"[104] r=%d, name=\"%s\"", opened, name);
                continue;
            }
            TimeZoneRecord record;
            TziBlock tzi{};
            if (!ReadStringValueInOneCall(zoneKey, L"Display", &record.displayName) ||
                !ReadStringValueInOneCall(zoneKey, L"Std", &record.standardName) ||
                !ReadStringValueInOneCall(zoneKey, L"Dlt", &record.daylightName) ||
                !ReadTziValueInOneCall(zoneKey, L"TZI", &tzi)) {
                continue;
            }
            record.rules = DeriveRules(tzi);

            RegKey dynamicKey(registry);
            const LONG dynamicOpened = dynamicKey.Open(zoneKey.Handle(), kDynamicDstName, KEY_READ);
            if (dynamicOpened == ERROR_SUCCESS) {
                ReadDynamicYears(dynamicKey, record.years);
                dynamicKey.Close();
            } else if (dynamicOpened != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
                result = false;
            }

            // IDs only grow within a run, so this skips 0, -1 and any ID in use.
            auto nextId = static_cast<DWORD>(lastId);
            do {
                ++nextId;
            } while (static_cast<LONG>(nextId) == 0 || static_cast<LONG>(nextId) == -1 ||
                     ids.count(static_cast<LONG>(nextId)) != 0);
            lastId = static_cast<LONG>(nextId);
            record.id = lastId;
            ids.insert(lastId);
            record.keyName = name;
            if (currentToFind) {
                record.isCurrent = EqualNoCase(currentKey, record.keyName) ? 1 : 0;
                currentToFind = record.isCurrent == 0;
            }

            records.push_back(std::move(record));
        }
        // Each zone goes in front of the first with a smaller Bias: west to
        // east, equal biases in enumeration order. One stable sort places
        // them all at once, where inserting each would shift the list.
        std::stable_sort(records.begin(), records.end(),
                         [](const TimeZoneRecord& a, const TimeZoneRecord& b) {
                             return a.rules.tzi.Bias > b.rules.tzi.Bias;
                         });
        if (zones.Result() != static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            SetThreadLastError(static_cast<DWORD>(zones.Result()));
            LogMessage(L"[103] r=%d", zones.Result());
            result = false;
        }
        root.Close();
    }

    int inserted = 0;
    int chosen = -1;
    for (const TimeZoneRecord& record : records) {
        const int row = view.InsertItem(inserted, record.displayName);
        if (row == -1) {
            result = false;
            continue;
        }
        ++inserted;
        if (!view.SetItemData(row, static_cast<LPARAM>(record.id))) {
            result = false;
            continue;
        }
        if (chosen == -1 && selectKey) {
            const bool wanted =
                selectKey->empty() ? record.isCurrent == 1 : EqualNoCase(*selectKey, record.keyName);
            if (wanted) {
                chosen = row;
            }
        }
    }
    view.SetRedraw(true);
    if (chosen != -1) {
        view.SelectRow(chosen);
        view.EnsureVisible(chosen);
    }
    return result;
}

} // namespace tarvane
