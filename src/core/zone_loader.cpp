#include "core/zone_loader.h"

#include "core/registry_values.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace tarvane {
namespace {

constexpr DWORD kKeyNameCapacity = 260;
// No zone holds more years than Add Year allows; a stored range wider than
// that is damaged itself, and only its first years are tried.
constexpr DWORD kMaxYearsTried = 1000;

// Reads the years FirstEntry..LastEntry of an open Dynamic DST key. A year
// that cannot be read does not end the reading: the later years are read all
// the same, and the lost ones are logged and noted in the record, so that a
// save drops exactly those and keeps every year that was read.
void ReadDynamicYears(const RegKey& dynamicKey, const std::wstring& zoneName, TimeZoneRecord& record) {
    DWORD first = 0;
    DWORD last = 0;
    if (!ReadNumberValueInOneCall(dynamicKey, L"FirstEntry", &first) ||
        !ReadNumberValueInOneCall(dynamicKey, L"LastEntry", &last) || first > last) {
        return;
    }
    const DWORD lastTried = last - first >= kMaxYearsTried ? first + (kMaxYearsTried - 1) : last;
    std::vector<DWORD> runErrors; // the code of each damaged run's first failed read
    auto noteDamaged = [&record, &runErrors](DWORD from, DWORD to, DWORD error) {
        std::vector<YearRun>& runs = record.damagedYears;
        if (!runs.empty() && runs.back().last + 1 == from) {
            runs.back().last = to;
        } else {
            runs.push_back(YearRun{from, to});
            runErrors.push_back(error);
        }
    };
    for (DWORD year = first;; ++year) {
        TziBlock block{};
        if (ReadTziValueInOneCall(dynamicKey, Format(L"%u", year), &block)) {
            DynamicYearRecord dynamicYear{year, DeriveRules(block)};
            auto at =
                std::upper_bound(record.years.begin(), record.years.end(), year,
                                 [](DWORD y, const DynamicYearRecord& other) { return y < other.year; });
            record.years.insert(at, dynamicYear);
        } else {
            noteDamaged(year, year, GetThreadLastError());
        }
        if (year == lastTried) {
            break;
        }
    }
    if (lastTried != last) {
        noteDamaged(lastTried + 1, last, ERROR_FILE_NOT_FOUND);
    }
    for (std::size_t i = 0; i < record.damagedYears.size(); ++i) {
        SetThreadLastError(runErrors[i]);
        LogMessage(L"[235] key=%s, yr=%s", zoneName, YearRunsText({record.damagedYears[i]}));
    }
}

// The zone of an open zone key: names, rules and dynamic years; false when a
// name or TZI cannot be read. `yearsOpened` is false when Dynamic DST exists
// but cannot be opened (the zone is then kept without years).
bool ReadZone(const RegKey& zoneKey, const std::wstring& name, TimeZoneRecord& record, bool* yearsOpened) {
    TziBlock tzi{};
    if (!ReadStringValueInOneCall(zoneKey, L"Display", &record.displayName) ||
        !ReadStringValueInOneCall(zoneKey, L"Std", &record.standardName) ||
        !ReadStringValueInOneCall(zoneKey, L"Dlt", &record.daylightName) ||
        !ReadTziValueInOneCall(zoneKey, L"TZI", &tzi)) {
        return false;
    }
    record.rules = DeriveRules(tzi);

    RegKey dynamicKey(zoneKey.Api());
    const LONG dynamicOpened = dynamicKey.Open(zoneKey.Handle(), kDynamicDstName, KEY_READ);
    if (dynamicOpened == ERROR_SUCCESS) {
        ReadDynamicYears(dynamicKey, name, record);
    } else if (dynamicOpened != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        *yearsOpened = false;
    }
    return true;
}

} // namespace

bool LoadZone(RegistryApi& registry, const std::wstring& keyName, TimeZoneRecord* record) {
    *record = TimeZoneRecord{};
    if (keyName.empty()) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    RegKey zoneKey(registry);
    if (const LONG opened =
            zoneKey.Open(kHkeyLocalMachine, Format(L"%s\\%s", kTimeZonesPath, keyName), KEY_READ);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        return false;
    }
    TimeZoneRecord loaded;
    bool yearsOpened = true;
    if (!ReadZone(zoneKey, keyName, loaded, &yearsOpened) || !yearsOpened) {
        SetThreadLastError(ERROR_INVALID_DATA);
        return false;
    }
    loaded.keyName = keyName;
    *record = std::move(loaded);
    SetThreadLastError(0);
    return true;
}

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

bool ReadTimeZones(RegistryApi& registry, TimeZoneApi& timeZones, std::vector<TimeZoneRecord>& records) {
    bool result = true;
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
            bool yearsOpened = true;
            if (!ReadZone(zoneKey, name, record, &yearsOpened)) {
                continue;
            }
            result = result && yearsOpened;

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
                record.isCurrent = EqualKeyNames(currentKey, record.keyName) ? 1 : 0;
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
    return result;
}

bool FillZoneList(ZoneListView& view, const std::vector<TimeZoneRecord>& records,
                  const std::optional<std::wstring>& selectKey) {
    bool result = true;
    view.SetRedraw(false);
    view.DeleteAllItems();
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
                selectKey->empty() ? record.isCurrent == 1 : EqualKeyNames(*selectKey, record.keyName);
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

bool LoadTimeZones(RegistryApi& registry, TimeZoneApi& timeZones, ZoneListView& view,
                   std::vector<TimeZoneRecord>& records, const std::optional<std::wstring>& selectKey) {
    const bool read = ReadTimeZones(registry, timeZones, records);
    const bool filled = FillZoneList(view, records, selectKey);
    return read && filled;
}

BackgroundZoneLoad::BackgroundZoneLoad(RegistryApi& registry, TimeZoneApi& timeZones)
    : thread_([this, &registry, &timeZones] {
          read_ = ReadTimeZones(registry, timeZones, records_);
          error_ = GetThreadLastError();
      }) {}

BackgroundZoneLoad::~BackgroundZoneLoad() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool BackgroundZoneLoad::Take(std::vector<TimeZoneRecord>& records) {
    if (thread_.joinable()) {
        thread_.join();
    }
    records = std::move(records_);
    records_.clear();
    SetThreadLastError(error_);
    return read_;
}

} // namespace tarvane
