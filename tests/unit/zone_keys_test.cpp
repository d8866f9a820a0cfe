// New and deleted zones in the in-memory registry: the key names a new zone
// may have, a zone created from a copy and from the tz database (read back by
// the loader, and checked against its source), what a failed creation or
// deletion leaves, and a deleted zone brought back by a restore.
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup/restore.h"
#include "backup_fakes.h"
#include "core/zone_keys.h"
#include "core/zone_sources.h"
#include "log_capture.h"
#include "platform/last_error.h"
#include "tz_fixtures.h"
#include "tzdb/new_zone.h"
#include "tzdb/tz_check.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const TziBlock kPacific = MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
const std::wstring kSourcesPath = L"HKEY_LOCAL_MACHINE\\" + ZoneSourcesPath();

struct ZoneKeysTest : ::testing::Test {
    MemoryRegistry registry;
    FakeTimeZoneApi timeZones;
    LogCapture log;

    ZoneKeysTest() {
        ZoneSpec pacific = SimpleZone(L"Pacific Standard Time", 480);
        pacific.tzi = kPacific;
        pacific.years = {{2006, kPacific}, {2007, kPacific}};
        PutZone(registry, pacific);
        PutZone(registry, SimpleZone(L"Tokyo Standard Time", -540));
        timeZones.current.timeZoneKeyName = L"Tokyo Standard Time";
    }
    std::vector<TimeZoneRecord> Load() {
        FakeListView view;
        std::vector<TimeZoneRecord> zones;
        EXPECT_TRUE(LoadTimeZones(registry, timeZones, view, zones, std::nullopt));
        return zones;
    }
    TimeZoneRecord Zone(const std::wstring& key) {
        for (const TimeZoneRecord& zone : Load()) {
            if (zone.keyName == key) {
                return zone;
            }
        }
        ADD_FAILURE() << "no zone " << std::string(key.begin(), key.end());
        return TimeZoneRecord{};
    }
    bool Create(const TimeZoneRecord& zone, bool* leftOver = nullptr) {
        bool none = false;
        return CreateTimeZone(registry, true, zone, leftOver ? leftOver : &none);
    }
};

std::vector<BYTE> TziOf(const ZoneRules& rules) {
    const TziBytes bytes = TziToBytes(ComposeTzi(rules));
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

TEST(NewZoneKey, TheNamesANewZoneMayHave) {
    const std::vector<std::wstring> existing = {L"Pacific Standard Time", L"UTC+12"};
    struct Case {
        std::wstring name;
        const wchar_t* problem; // the start of the message; null: allowed
    };
    const Case cases[] = {
        {L"Chihuahua Standard Time", nullptr},
        {L"Pacific Standard Time (Mexico)", nullptr},
        {L"Aus Central W. Standard Time", nullptr},
        {L"UTC-02", nullptr},
        {L"2026 Zone", nullptr},
        {std::wstring(127, L'x'), nullptr},
        {L"", L"Provide the key name"},
        {std::wstring(128, L'x'),
         L"The key name has 128 characters; a time zone's key name has at most 127."},
        {L"Zone\\Below",
         L"The key name may hold letters (A to Z), digits, spaces and the characters . + - ( ) "
         L"only, not \"\\\"."},
        {L"Zone/Slash", L"The key name may hold"},
        {L"Zone_Underscore", L"The key name may hold"},
        {L"Zone\tTab", L"The key name may hold letters (A to Z), digits, spaces and the characters . + - ( ) "
                       L"only, not the character U+0009."},
        {L"Z\u00f3na", L"The key name may hold"},
        {L"(UTC) Zone", L"The key name must begin with a letter or a digit."},
        {L" Zone", L"The key name must begin"},
        {L"Zone ", L"The key name must not end with a space."},
        {L"pacific standard TIME",
         L"There is a time zone with the key name \"Pacific Standard Time\" already."},
        {L"utc+12", L"There is a time zone"},
    };
    for (const Case& c : cases) {
        const std::wstring problem = NewZoneKeyProblem(c.name, existing);
        if (c.problem == nullptr) {
            EXPECT_EQ(problem, L"") << std::string(c.name.begin(), c.name.end());
        } else {
            EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << std::string(problem.begin(), problem.end());
        }
    }
    // The rules allow every key the system's own database has, as CLDR lists them.
    const TzTable& table = GeneratedTzTable();
    ASSERT_GT(table.windowsKeys.size(), 100u);
    for (const auto& [key, name] : table.windowsKeys) {
        EXPECT_EQ(NewZoneKeyProblem(key, {}), L"") << std::string(key.begin(), key.end());
    }
}

TEST_F(ZoneKeysTest, ACopyIsCreatedWithTheSourcesRulesAndYearsAndNamesOfItsOwn) {
    const TimeZoneRecord copy = NewZoneFromCopy(L"Baja Standard Time", Zone(L"Pacific Standard Time"));
    EXPECT_EQ(copy.displayName, L"(UTC-08:00) Baja Standard Time");
    EXPECT_EQ(copy.standardName, L"Baja Standard Time");
    EXPECT_EQ(copy.daylightName, L"Baja Daylight Time");
    ASSERT_TRUE(Create(copy));
    EXPECT_TRUE(log.events.empty()) << log.Dump();

    const std::vector<TimeZoneRecord> zones = Load();
    ASSERT_EQ(zones.size(), 3u);
    EXPECT_EQ(zones[0].keyName, L"Baja Standard Time")
        << "among the zones of its bias, in the registry's order";
    EXPECT_EQ(zones[0].displayName, copy.displayName);
    EXPECT_EQ(TziOf(zones[0].rules), TziOf(zones[1].rules));
    ASSERT_EQ(zones[0].years.size(), 2u);
    EXPECT_EQ(registry.GetValue(DynamicPath(L"Baja Standard Time"), L"FirstEntry")->data,
              registry.GetValue(DynamicPath(L"Pacific Standard Time"), L"FirstEntry")->data);

    bool leftOver = false;
    EXPECT_FALSE(Create(copy, &leftOver)) << "a second zone of that name is refused";
    EXPECT_EQ(GetThreadLastError(), ERROR_ALREADY_EXISTS);
}

TEST_F(ZoneKeysTest, AZoneFromTheTzDatabaseMatchesItsSourceForTheYearsCreated) {
    const TzTable& table = GeneratedTzTable();
    // Northern and southern daylight time, a half-hour daylight offset, a
    // quarter-hour offset without daylight time.
    const wchar_t* const sources[] = {L"America/Los_Angeles", L"America/Santiago", L"Australia/Lord_Howe",
                                      L"Asia/Kathmandu"};
    int number = 0;
    for (const wchar_t* source : sources) {
        const TzZone* tz = FindTzZone(table, source);
        ASSERT_NE(tz, nullptr);
        const FillPlan plan = PlanNewZone(*tz, 2030, 2035);
        ASSERT_TRUE(plan.problems.empty()) << ProblemLines(plan.problems).size();
        const std::wstring key = L"Created " + std::to_wstring(++number) + L" Standard Time";
        ASSERT_TRUE(Create(NewZoneFromPlan(key, plan)));
        EXPECT_EQ(SetZoneSource(registry, key, source), ERROR_SUCCESS);
    }
    EXPECT_EQ(Zone(L"Created 4 Standard Time").displayName, L"(UTC+05:45) Created 4 Standard Time");

    const ZoneSources remembered = ReadZoneSources(registry);
    ASSERT_EQ(remembered.size(), 4u);
    int matched = 0;
    for (const TimeZoneRecord& zone : Load()) {
        const ZoneCheck check = CheckZone(zone, table, 2030, 2035, remembered);
        if (zone.keyName.rfind(L"Created ", 0) == 0) {
            EXPECT_EQ(check.status, TzCheckStatus::kMatches)
                << std::string(check.difference.begin(), check.difference.end());
            ++matched;
        }
    }
    EXPECT_EQ(matched, 4);
    EXPECT_EQ(CheckZone(Zone(L"Created 1 Standard Time"), table, 2030, 2035).status,
              TzCheckStatus::kNoMapping)
        << "without its remembered source CLDR knows no such key";

    EXPECT_EQ(SetZoneSource(registry, L"Created 1 Standard Time", L""), ERROR_SUCCESS);
    EXPECT_EQ(SetZoneSource(registry, L"Never Remembered", L""), ERROR_SUCCESS);
    EXPECT_EQ(ReadZoneSources(registry).size(), 3u);
}

TEST_F(ZoneKeysTest, AFailedCreationLeavesNoKeyBehind) {
    const std::wstring key = L"New Standard Time";
    const std::wstring path = ZonePath(key);
    TimeZoneRecord zone = NewZoneFromCopy(key, Zone(L"Pacific Standard Time"));
    struct Case {
        const char* name;
        std::vector<RegFault> faults;
        DWORD error;
        std::vector<std::wstring> lines;
        bool keyStays;
        bool madeMeanwhile = false;
    };
    const Case cases[] = {
        // Another program made the key after the dialog checked the name:
        // its key is neither written nor removed.
        {"the key was made meanwhile",
         {},
         ERROR_ALREADY_EXISTS,
         {L"[275] key=New Standard Time"},
         true,
         true},
        {"the root does not open",
         {RegFault(RegOp::Open, kTimeZonesFullPath).Error(5)},
         5,
         {L"[273] err=5, key=New Standard Time"},
         false},
        {"the key cannot be created",
         {RegFault(RegOp::Create, path).Error(5)},
         5,
         {L"[274] err=5, key=New Standard Time"},
         false},
        {"a value cannot be written",
         {RegFault(RegOp::SetValue, path).Value(L"TZI").Error(1009)},
         1009,
         {L"[140] err=1009, key=New Standard Time", L"[276] err=1009, key=New Standard Time"},
         false},
        {"a year cannot be written",
         {RegFault(RegOp::SetValue, path + L"\\Dynamic DST").Value(L"2007").Error(1009)},
         1009,
         {L"[152] err=1009, key=New Standard Time, yr=2007", L"[276] err=1009, key=New Standard Time"},
         false},
        {"nor can the key be removed again",
         {RegFault(RegOp::SetValue, path).Value(L"Std").Error(1009),
          RegFault(RegOp::DeleteKey, path).Error(5)},
         1009,
         {L"[277] err=5, key=New Standard Time, sub=\"New Standard Time\""},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry.RemoveTree(path);
        if (c.madeMeanwhile) {
            registry.PutString(path, L"Std", L"Theirs");
        }
        registry.ClearFaults();
        log.events.clear();
        for (const RegFault& fault : c.faults) {
            registry.InjectFault(fault);
        }
        bool leftOver = false;
        EXPECT_FALSE(Create(zone, &leftOver));
        EXPECT_EQ(GetThreadLastError(), c.error);
        for (const std::wstring& line : c.lines) {
            EXPECT_TRUE(log.Has(line)) << log.Dump();
        }
        EXPECT_EQ(registry.KeyExists(path), c.keyStays);
        EXPECT_EQ(leftOver, c.keyStays && !c.madeMeanwhile);
        if (c.madeMeanwhile) {
            EXPECT_EQ(registry.ValueNames(path), std::vector<std::wstring>{L"Std"});
        }
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
    // The key left over is the zone's own: the next save writes it whole.
    registry.ClearFaults();
    bool leftOver = true;
    EXPECT_TRUE(Create(zone, &leftOver));
    EXPECT_FALSE(leftOver);
    EXPECT_EQ(Zone(key).standardName, key);

    log.events.clear();
    zone.keyName = L"Zone\\Below";
    EXPECT_FALSE(Create(zone));
    EXPECT_TRUE(log.Has(L"[271] key=\"Zone\\Below\"")) << log.Dump();
    EXPECT_FALSE(registry.KeyExists(ZonePath(L"Zone")));
}

TEST_F(ZoneKeysTest, DeletingRemovesTheKeyWithItsYearsOrKeepsTheZoneWhole) {
    const std::wstring path = ZonePath(L"Pacific Standard Time");
    const TimeZoneRecord pacific = Zone(L"Pacific Standard Time");
    struct Case {
        const char* name;
        std::vector<RegFault> faults;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {"the root does not open",
         {RegFault(RegOp::Open, kTimeZonesFullPath).Error(5)},
         {L"[282] err=5, key=Pacific Standard Time"}},
        {"the years cannot be removed",
         {RegFault(RegOp::DeleteKey, path + L"\\Dynamic DST").Error(5)},
         {L"[283] err=5, key=Pacific Standard Time, sub=\"Pacific Standard Time\\Dynamic DST\""}},
        // The years went, so they are written back.
        {"the zone's key cannot be removed",
         {RegFault(RegOp::DeleteKey, path).Error(5)},
         {L"[283] err=5, key=Pacific Standard Time, sub=\"Pacific Standard Time\""}},
        {"nor can the years be written back",
         {RegFault(RegOp::DeleteKey, path).Error(5),
          RegFault(RegOp::Create, path + L"\\Dynamic DST").Error(5)},
         {L"[142] err=5, key=Pacific Standard Time", L"[284] key=Pacific Standard Time"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry.ClearFaults();
        log.events.clear();
        for (const RegFault& fault : c.faults) {
            registry.InjectFault(fault);
        }
        EXPECT_FALSE(DeleteTimeZone(registry, true, pacific));
        EXPECT_EQ(GetThreadLastError(), 5u);
        for (const std::wstring& line : c.lines) {
            EXPECT_TRUE(log.Has(line)) << log.Dump();
        }
        EXPECT_TRUE(registry.KeyExists(path));
        registry.ClearFaults();
        if (c.lines.size() == 1) {
            EXPECT_EQ(Zone(L"Pacific Standard Time").years.size(), 2u);
        }
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
    registry.ClearFaults();
    log.events.clear();
    ASSERT_TRUE(DeleteTimeZone(registry, true, pacific));
    EXPECT_FALSE(registry.KeyExists(path));
    EXPECT_TRUE(DeleteTimeZone(registry, true, pacific)) << "a zone that is gone is deleted";
    EXPECT_FALSE(DeleteTimeZone(registry, true, TimeZoneRecord{}));
    EXPECT_TRUE(log.Has(L"[281] key=\"\"")) << "never the Time Zones key itself";
    EXPECT_EQ(Load().size(), 1u);
}

TEST(DeletedZone, ARestoreOfABackupBringsItBack) {
    FakeBackupWorld world;
    world.registry.PutString(L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation",
                             L"TimeZoneKeyName", L"Zone A");
    PutZone(world.registry, SimpleZone(L"Zone A", 0));
    ZoneSpec created = SimpleZone(L"Created Standard Time", -345);
    created.years = {{2030, MakeTzi(-345)}, {2031, MakeTzi(-300)}};
    PutZone(world.registry, created);
    std::wstring before;
    ASSERT_TRUE(ExportTimeZoneDatabase(world.registry, before));
    world.files.files[L"C:\\b.trvbkp"] = BackupFileBytes(before);

    TimeZoneRecord zone;
    zone.keyName = L"Created Standard Time";
    ASSERT_TRUE(DeleteTimeZone(world.registry, true, zone));
    ASSERT_FALSE(world.registry.KeyExists(DynamicPath(L"Created Standard Time")));
    world.prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(world.context, L"C:\\b.trvbkp", true), RestoreOutcome::kRestored);
    std::wstring after;
    ASSERT_TRUE(ExportTimeZoneDatabase(world.registry, after));
    EXPECT_EQ(after, before);
}

TEST_F(ZoneKeysTest, UnreadableSourcesAndKeysAreLogged) {
    registry.InjectFault(RegFault(RegOp::Create, kSourcesPath).Error(5));
    EXPECT_EQ(SetZoneSource(registry, L"Zone", L"Asia/Tokyo"), 5);
    EXPECT_TRUE(log.Has(L"[278] err=5, key=Zone, tz=\"Asia/Tokyo\"")) << log.Dump();
    registry.ClearFaults();
    ASSERT_EQ(SetZoneSource(registry, L"Zone", L"Asia/Tokyo"), ERROR_SUCCESS);
    registry.InjectFault(RegFault(RegOp::EnumValue, kSourcesPath).Error(1009));
    EXPECT_TRUE(ReadZoneSources(registry).empty());
    EXPECT_TRUE(log.Has(L"[288] err=1009, read=0")) << log.Dump();

    registry.InjectFault(RegFault(RegOp::EnumKey, kTimeZonesFullPath).At(1).Error(1009));
    LONG error = 0;
    EXPECT_EQ(ZoneKeyNames(registry, &error).size(), 1u);
    EXPECT_EQ(error, 1009);
    EXPECT_TRUE(log.Has(L"[287] err=1009, keys=1")) << log.Dump();
}

} // namespace
} // namespace tarvane::test
