// Zones in the in-memory registry, the current zone and the zone list as tests
// set them up.
#pragma once

#include "core/time_zone_record.h"
#include "core/zone_loader.h"
#include "platform/last_error.h"
#include "fakes/memory_registry.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarvane::test {

inline const std::wstring kTimeZonesFullPath =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

inline std::wstring ZonePath(const std::wstring& key) {
    return kTimeZonesFullPath + L"\\" + key;
}
inline std::wstring DynamicPath(const std::wstring& key) {
    return ZonePath(key) + L"\\Dynamic DST";
}

// A recurring rule: the `occurrence`th `dayOfWeek` of `month` at `hour`:00.
SYSTEMTIME Recurring(WORD month, WORD dayOfWeek, WORD occurrence, WORD hour, WORD minute = 0);
// A one-time date.
SYSTEMTIME Once(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0);
// Every field of `a` equals that of `b`.
bool SameSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b);

TziBlock MakeTzi(LONG bias, LONG standardBias = 0, LONG daylightBias = -60, SYSTEMTIME standardDate = {},
                 SYSTEMTIME daylightDate = {});

struct ZoneSpec {
    std::wstring key;
    std::wstring display;
    std::wstring standard;
    std::wstring daylight;
    TziBlock tzi{};
    std::vector<std::pair<DWORD, TziBlock>> years;
    // FirstEntry and LastEntry; by default the first and last of `years`.
    std::optional<DWORD> firstEntry;
    std::optional<DWORD> lastEntry;
};

// A zone with its names derived from the key and the given bias.
ZoneSpec SimpleZone(const std::wstring& key, LONG bias);

void PutZone(MemoryRegistry& registry, const ZoneSpec& zone);

// A database whose names and values need the export's escapes and wrapping:
// a current zone name with quotes and "=-", a default value "=-", a zone with
// years, a string with backslash, quote and brackets ("Weird"), 200 bytes of
// "[" ("Bytes") and a zone named "[Bracket] Zone".
void PutAwkwardZones(MemoryRegistry& registry);

class FakeTimeZoneApi : public TimeZoneApi {
public:
    bool hasDynamic = true;
    TimeZoneInfo current;
    DWORD result = TIME_ZONE_ID_STANDARD;

    bool HasGetDynamicTimeZoneInformation() const override { return hasDynamic; }
    DWORD GetDynamicTimeZoneInformation(TimeZoneInfo* info) override {
        *info = current;
        return result;
    }
    DWORD GetTimeZoneInformation(TimeZoneInfo* info) override {
        *info = current;
        info->timeZoneKeyName.clear();
        info->dynamicDaylightTimeDisabled = false;
        return result;
    }

    // Setting the zone: what was handed over, in which form, and the answer.
    bool hasSetDynamic = true;
    BOOL setResult = TRUE;
    DWORD setError = ERROR_PRIVILEGE_NOT_HELD; // left as the last error when setResult is FALSE
    std::vector<TimeZoneInfo> dynamicSets;
    std::vector<TimeZoneInfo> plainSets;

    // The token: failures to inject, and every adjustment as "+Name" / "-Name".
    DWORD openTokenError = 0;                         // nonzero: OpenProcessToken fails with it
    DWORD lookupError = 0;                            // nonzero: LookupPrivilegeValue fails with it
    DWORD adjustError = 0;                            // left after a nonzero AdjustTokenPrivileges
    std::set<std::wstring> enableFails, disableFails; // privileges whose adjustment returns FALSE (error 5)
    std::vector<std::wstring> adjustments;
    int openTokens = 0; // opened and not closed yet

    std::vector<std::wstring> broadcasts; // the lParam texts, each with its time-out as "intl/2000"
    // Everything in call order: "+Name", "-Name", "dynamic", "plain", "broadcast".
    std::vector<std::wstring> calls;

    bool HasSetDynamicTimeZoneInformation() const override { return hasSetDynamic; }
    BOOL SetDynamicTimeZoneInformation(const TimeZoneInfo& info) override {
        dynamicSets.push_back(info);
        calls.push_back(L"dynamic");
        return Answer();
    }
    BOOL SetTimeZoneInformation(const TimeZoneInfo& info) override {
        plainSets.push_back(info);
        calls.push_back(L"plain");
        return Answer();
    }
    BOOL OpenProcessToken(DWORD access, TokenHandle* token) override {
        if (openTokenError != 0 || access != (kTokenAdjustPrivileges | kTokenQuery)) {
            SetThreadLastError(openTokenError != 0 ? openTokenError : ERROR_ACCESS_DENIED);
            return FALSE;
        }
        ++openTokens;
        *token = 0x7700 + static_cast<TokenHandle>(openTokens);
        SetThreadLastError(0);
        return TRUE;
    }
    BOOL LookupPrivilegeValue(std::wstring_view name, std::uint64_t* luid) override {
        if (lookupError != 0) {
            SetThreadLastError(lookupError);
            return FALSE;
        }
        privilegeNames_.emplace_back(name);
        *luid = privilegeNames_.size() - 1;
        SetThreadLastError(0);
        return TRUE;
    }
    BOOL AdjustTokenPrivilege(TokenHandle, std::uint64_t luid, DWORD attributes) override {
        const std::wstring& name = privilegeNames_.at(static_cast<std::size_t>(luid));
        const bool enable = attributes == kPrivilegeEnabled;
        adjustments.push_back((enable ? L"+" : L"-") + name);
        calls.push_back(adjustments.back());
        if ((enable ? enableFails : disableFails).count(name) != 0) {
            SetThreadLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        SetThreadLastError(adjustError);
        return TRUE;
    }
    void CloseToken(TokenHandle) override { --openTokens; }
    void BroadcastSettingChange(std::wstring_view area, UINT timeoutMs) override {
        broadcasts.push_back(std::wstring(area) + L"/" + std::to_wstring(timeoutMs));
        calls.push_back(L"broadcast");
    }

private:
    BOOL Answer() {
        SetThreadLastError(setResult ? 0 : setError);
        return setResult;
    }
    std::vector<std::wstring> privilegeNames_;
};

class FakeListView : public ZoneListView {
public:
    struct Row {
        std::wstring text;
        LPARAM data = -1;
    };
    std::vector<Row> rows;
    int selected = -1;
    int visible = -1;
    bool redraw = true;
    int redrawOffCount = 0;
    std::set<std::size_t> failInsertAt; // insertion calls (0-based) that fail
    std::set<std::size_t> failDataAt;   // SetItemData calls (0-based) that fail

    void SetRedraw(bool enable) override {
        redraw = enable;
        redrawOffCount += enable ? 0 : 1;
    }
    void DeleteAllItems() override {
        rows.clear();
        selected = visible = -1;
    }
    int InsertItem(int index, const std::wstring& text) override {
        if (failInsertAt.count(insertCalls_++) != 0) {
            return -1;
        }
        rows.insert(rows.begin() + index, Row{text, 0});
        return index;
    }
    bool SetItemData(int row, LPARAM data) override {
        if (failDataAt.count(dataCalls_++) != 0) {
            return false;
        }
        rows.at(static_cast<std::size_t>(row)).data = data;
        return true;
    }
    void SelectRow(int row) override { selected = row; }
    void EnsureVisible(int row) override { visible = row; }

private:
    std::size_t insertCalls_ = 0;
    std::size_t dataCalls_ = 0;
};

} // namespace tarvane::test
