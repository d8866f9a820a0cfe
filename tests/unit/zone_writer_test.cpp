#include "core/zone_writer.h"

#include "log_capture.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarvane::test {
namespace {

const std::wstring kKey = L"Test Standard Time";

DynamicYearRecord Year(DWORD year, LONG bias = 300) {
    return DynamicYearRecord{
        year, DeriveRules(MakeTzi(bias, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)))};
}

TimeZoneRecord Record(std::vector<DWORD> years = {}) {
    TimeZoneRecord record;
    record.keyName = kKey;
    record.displayName = L"(UTC-05:00) Test Time";
    record.standardName = L"Test Standard Time";
    record.daylightName = L"Test Daylight Time";
    record.rules = DeriveRules(MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    for (DWORD year : years) {
        record.years.push_back(Year(year, 300 + static_cast<LONG>(year % 7)));
    }
    return record;
}

std::vector<BYTE> Bytes(const TziBlock& block) {
    const TziBytes bytes = TziToBytes(block);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

std::vector<BYTE> DwordBytes(DWORD value) {
    std::vector<BYTE> bytes(4);
    WriteDwordLe(bytes.data(), value);
    return bytes;
}

// Records the view each RegDeleteKeyExW call names.
class ViewRecordingRegistry : public MemoryRegistry {
public:
    LONG DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM view) override {
        views.push_back(view);
        return MemoryRegistry::DeleteKeyEx(parent, subKey, view);
    }
    std::vector<REGSAM> views;
};

class ZoneWriter : public ::testing::Test {
protected:
    void SetUp() override {
        registry.PutKey(kTimeZonesFullPath);
        SetThreadLastError(0xDEAD);
    }

    // An existing zone whose Dynamic DST holds the years `years` and the
    // range first..last.
    void PutOldZone(const std::vector<DWORD>& years, DWORD first, DWORD last) {
        ZoneSpec zone = SimpleZone(kKey, 480);
        for (DWORD year : years) {
            zone.years.emplace_back(year, MakeTzi(480));
        }
        zone.firstEntry = first;
        zone.lastEntry = last;
        PutZone(registry, zone);
    }

    bool Save(const TimeZoneRecord& record, bool is64BitOs = true) {
        return SaveTimeZone(registry, is64BitOs, record);
    }

    std::optional<MemoryRegistry::Value> Zone(const std::wstring& name) const {
        return registry.GetValue(ZonePath(kKey), name);
    }
    std::optional<MemoryRegistry::Value> Dynamic(const std::wstring& name) const {
        return registry.GetValue(DynamicPath(kKey), name);
    }
    std::vector<std::wstring> DynamicNames() const { return registry.ValueNames(DynamicPath(kKey)); }

    ViewRecordingRegistry registry;
    LogCapture capture;
};

TEST_F(ZoneWriter, CreatesANewZoneWithEveryValueOfItsExactTypeAndBytes) {
    const TimeZoneRecord record = Record({2007, 2008});
    ASSERT_TRUE(Save(record)) << capture.Dump();
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();

    const std::pair<const wchar_t*, const std::wstring*> names[] = {
        {L"Display", &record.displayName}, {L"Std", &record.standardName}, {L"Dlt", &record.daylightName}};
    for (const auto& [name, text] : names) {
        const auto value = Zone(name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->type, REG_SZ);
        EXPECT_EQ(value->data, ToUtf16Le(*text, true)) << name;
    }
    ASSERT_TRUE(Zone(L"TZI"));
    EXPECT_EQ(Zone(L"TZI")->type, REG_BINARY);
    EXPECT_EQ(Zone(L"TZI")->data, Bytes(ComposeTzi(record.rules)));

    EXPECT_EQ(Dynamic(L"FirstEntry")->type, REG_DWORD);
    EXPECT_EQ(Dynamic(L"FirstEntry")->data, DwordBytes(2007));
    EXPECT_EQ(Dynamic(L"LastEntry")->type, REG_DWORD);
    EXPECT_EQ(Dynamic(L"LastEntry")->data, DwordBytes(2008));
    for (const DynamicYearRecord& year : record.years) {
        const auto value = Dynamic(Format(L"%u", year.year));
        ASSERT_TRUE(value) << year.year;
        EXPECT_EQ(value->type, REG_BINARY);
        EXPECT_EQ(value->data, Bytes(ComposeTzi(year.rules)));
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(ZoneWriter, WritesAnEmptyNameAsTheTerminatorAloneAndAZoneWithoutDaylightSavingWithZeroDates) {
    TimeZoneRecord record = Record();
    record.displayName.clear();
    record.rules.tzi.StandardBias = 7;
    record.rules.tzi.DaylightBias = -45;
    record.rules.dstEnabled = 0;
    ASSERT_TRUE(Save(record));
    EXPECT_EQ(Zone(L"Display")->data, (std::vector<BYTE>{0, 0}));
    const TziBlock written = TziFromBytes(Zone(L"TZI")->data.data());
    EXPECT_EQ(written.Bias, 300);
    EXPECT_EQ(written.StandardBias, 7);
    EXPECT_EQ(written.DaylightBias, -45);
    EXPECT_EQ(Bytes(written), Bytes(MakeTzi(300, 7, -45)));
}

TEST_F(ZoneWriter, ReplacesTheOldRangeDeletingOnlyTheYearNamedValuesInsideIt) {
    PutOldZone({2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012, 2013}, 2005, 2012);
    registry.PutValue(DynamicPath(kKey), L"02008", REG_BINARY, Bytes(MakeTzi(1)));
    registry.PutValue(DynamicPath(kKey), L"Note", REG_SZ, ToUtf16Le(L"kept", true));
    registry.PutValue(DynamicPath(kKey), L"2004", REG_BINARY, Bytes(MakeTzi(1)));
    const TimeZoneRecord record = Record({2007, 2008, 2009});
    ASSERT_TRUE(Save(record)) << capture.Dump();

    std::vector<std::wstring> names = DynamicNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"02008", L"2004", L"2007", L"2008", L"2009", L"2013",
                                                L"FirstEntry", L"LastEntry", L"Note"}));
    EXPECT_EQ(Dynamic(L"FirstEntry")->data, DwordBytes(2007));
    EXPECT_EQ(Dynamic(L"LastEntry")->data, DwordBytes(2009));
    EXPECT_EQ(Dynamic(L"2008")->data, Bytes(ComposeTzi(record.years[1].rules)));
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(ZoneWriter, WritesNonContiguousYearsWithTheirOuterBoundsAndNothingBetween) {
    PutOldZone({2007, 2008, 2009}, 2007, 2009);
    ASSERT_TRUE(Save(Record({2007, 2009})));
    EXPECT_EQ(Dynamic(L"FirstEntry")->data, DwordBytes(2007));
    EXPECT_EQ(Dynamic(L"LastEntry")->data, DwordBytes(2009));
    EXPECT_FALSE(Dynamic(L"2008"));
    EXPECT_TRUE(Dynamic(L"2009"));
}

TEST_F(ZoneWriter, FinishesADamagedFullRangeAtOnceDeletingOnlyYearNamedValues) {
    PutOldZone({0, 1, 2005, 4294967295u}, 0, 4294967295u);
    registry.PutValue(DynamicPath(kKey), L"4294967296", REG_BINARY, Bytes(MakeTzi(1)));
    const std::size_t before = registry.CallCount();
    ASSERT_TRUE(Save(Record({2010})));
    EXPECT_LT(registry.CallCount() - before, 60u);
    std::vector<std::wstring> names = DynamicNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"2010", L"4294967296", L"FirstEntry", L"LastEntry"}));
}

TEST_F(ZoneWriter, ExistingDynamicKeyWithoutFirstEntryGetsNoDeletionsAndNoError) {
    registry.PutKey(ZonePath(kKey));
    registry.PutKey(DynamicPath(kKey));
    registry.PutValue(DynamicPath(kKey), L"2008", REG_BINARY, Bytes(MakeTzi(1)));
    registry.PutDword(DynamicPath(kKey), L"LastEntry", 2008);
    ASSERT_TRUE(Save(Record({2010})));
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
    EXPECT_EQ(Dynamic(L"2008")->data, Bytes(MakeTzi(1)));
}

TEST_F(ZoneWriter, ReversedOldRangeIsLoggedDeletesNothingAndLeavesTheResultAlone) {
    PutOldZone({2008, 2009}, 2010, 2007);
    ASSERT_TRUE(Save(Record({2011})));
    EXPECT_EQ(capture.Messages(),
              (std::vector<std::wstring>{L"[147] key=Test Standard Time, min=2010, max=2007"}));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_TRUE(Dynamic(L"2008"));
    EXPECT_TRUE(Dynamic(L"2009"));
}

TEST_F(ZoneWriter, RecordWithoutYearsRemovesDynamicDstInThisProcessView) {
    PutOldZone({2008, 2009}, 2008, 2009);
    ASSERT_TRUE(Save(Record()));
    EXPECT_FALSE(registry.KeyExists(DynamicPath(kKey)));
    EXPECT_EQ(registry.views, (std::vector<REGSAM>{kOwnRegistryView}));
    EXPECT_EQ(kOwnRegistryView, sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
}

TEST_F(ZoneWriter, RecordWithoutYearsSucceedsWhenThereIsNoDynamicDst) {
    registry.PutKey(ZonePath(kKey));
    ASSERT_TRUE(Save(Record()));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_TRUE(capture.events.empty());
}

TEST_F(ZoneWriter, SixtyFourBitSystemWithoutDeleteKeyExKeepsDynamicDstAndFailsWith50AfterWritingNames) {
    PutOldZone({2008}, 2008, 2008);
    registry.SetHasDeleteKeyEx(false);
    const TimeZoneRecord record = Record();
    EXPECT_FALSE(Save(record, true));
    EXPECT_EQ(GetThreadLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[141] err=50, key=Test Standard Time"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{50}));
    EXPECT_TRUE(registry.KeyExists(DynamicPath(kKey)));
    EXPECT_EQ(Zone(L"Display")->data, ToUtf16Le(record.displayName, true));
    EXPECT_EQ(Zone(L"TZI")->data, Bytes(ComposeTzi(record.rules)));
    EXPECT_TRUE(registry.views.empty());
}

TEST_F(ZoneWriter, ThirtyTwoBitSystemWithoutDeleteKeyExDeletesWithThePlainCall) {
    PutOldZone({2008}, 2008, 2008);
    registry.SetHasDeleteKeyEx(false);
    ASSERT_TRUE(Save(Record(), false));
    EXPECT_FALSE(registry.KeyExists(DynamicPath(kKey)));
}

TEST_F(ZoneWriter, LeavesTheCodeOfTheLastFailingStepAndGoesOnAfterEachFailure) {
    PutOldZone({2008}, 2008, 2008);
    registry.InjectFault(
        RegFault(RegOp::SetValue, ZonePath(kKey)).Value(L"Display").Error(ERROR_ACCESS_DENIED));
    registry.InjectFault(
        RegFault(RegOp::SetValue, DynamicPath(kKey)).Value(L"2009").Error(ERROR_KEY_DELETED));
    const TimeZoneRecord record = Record({2009, 2010});
    EXPECT_FALSE(Save(record));
    EXPECT_EQ(GetThreadLastError(), ERROR_KEY_DELETED);
    EXPECT_EQ(capture.Messages().size(), 2u) << capture.Dump();
    EXPECT_TRUE(Zone(L"Std"));
    EXPECT_TRUE(Zone(L"TZI"));
    EXPECT_FALSE(Dynamic(L"2008"));
    EXPECT_TRUE(Dynamic(L"2010"));
    EXPECT_EQ(Dynamic(L"LastEntry")->data, DwordBytes(2010));
}

TEST_F(ZoneWriter, AYearZeroIsLoggedAndStillWrittenUnderTheName0) {
    EXPECT_FALSE(Save(Record({2008, 0, 2009})));
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[149] key=Test Standard Time, i=1, yr=0"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{9}));
    EXPECT_EQ(GetThreadLastError(), 9u);
    EXPECT_TRUE(Dynamic(L"0"));
    EXPECT_EQ(Dynamic(L"FirstEntry")->data, DwordBytes(2008));
    EXPECT_EQ(Dynamic(L"LastEntry")->data, DwordBytes(2009));
}

// One row of the failure table: a fault, the single log line it must cause
// (with the last error the line records), and what the save then reports.
struct FailureRow {
    const char* name;
    std::function<void(MemoryRegistry&)> setUp;
    std::vector<DWORD> years;
    std::wstring message;
    LONG lineError;
    bool result;
    DWORD lastError;
    std::function<void(const MemoryRegistry&)> check; // what must still have been written
};

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

void PutOld2005(MemoryRegistry& registry) {
    ZoneSpec zone = SimpleZone(kKey, 480);
    zone.years = {{2005, MakeTzi(480)}, {2006, MakeTzi(480)}, {2007, MakeTzi(480)}};
    PutZone(registry, zone);
}

void ExpectNamesWritten(const MemoryRegistry& registry) {
    EXPECT_TRUE(registry.GetValue(ZonePath(kKey), L"TZI"));
    EXPECT_TRUE(registry.GetValue(DynamicPath(kKey), L"2008"));
}

void ExpectOldYearsKeptNewWritten(const MemoryRegistry& registry) {
    EXPECT_TRUE(registry.GetValue(DynamicPath(kKey), L"2005"));
    EXPECT_TRUE(registry.GetValue(DynamicPath(kKey), L"2008"));
}

void ExpectNothingWritten(const MemoryRegistry& registry) {
    EXPECT_EQ(registry.GetValue(ZonePath(kKey), L"Display")->data, ToUtf16Le(L"(UTC) " + kKey, true));
    EXPECT_TRUE(registry.GetValue(DynamicPath(kKey), L"2005"));
    EXPECT_FALSE(registry.GetValue(DynamicPath(kKey), L"2008"));
}

class ZoneWriterFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(ZoneWriterFailure, LogsItsLineAndReportsItsCode) {
    const FailureRow& row = GetParam();
    MemoryRegistry registry;
    registry.PutKey(kTimeZonesFullPath);
    PutOld2005(registry);
    if (row.setUp) {
        row.setUp(registry);
    }
    TimeZoneRecord record = Record(row.years);
    if (row.message == L"[135]") {
        record.keyName.clear();
    }
    LogCapture capture;
    SetThreadLastError(0xDEAD);
    EXPECT_EQ(SaveTimeZone(registry, true, record), row.result);
    EXPECT_EQ(GetThreadLastError(), row.lastError);
    EXPECT_EQ(capture.Messages(), std::vector<std::wstring>{row.message}) << capture.Dump();
    EXPECT_EQ(capture.LastErrors(), std::vector<LONG>{row.lineError});
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
    if (row.check) {
        row.check(registry);
    }
}

RegFault ZoneFault(RegOp op) {
    return RegFault(op, ZonePath(kKey));
}
RegFault DynamicFault(RegOp op) {
    return RegFault(op, DynamicPath(kKey));
}
std::function<void(MemoryRegistry&)> Inject(RegFault fault) {
    return [fault](MemoryRegistry& registry) { registry.InjectFault(fault); };
}
std::function<void(MemoryRegistry&)> PutDynamic(const wchar_t* name, DWORD type, std::vector<BYTE> data) {
    return [=](MemoryRegistry& registry) { registry.PutValue(DynamicPath(kKey), name, type, data); };
}

const std::vector<DWORD> kNew = {2008};

INSTANTIATE_TEST_SUITE_P(
    EveryRow, ZoneWriterFailure,
    ::testing::Values(FailureRow{"OpenRoot", Inject(RegFault(RegOp::Open, kTimeZonesFullPath).Error(5)), kNew,
                                 L"[134] err=5", 5, false, 5, nullptr},
                      FailureRow{"EmptyKeyName", nullptr, kNew, L"[135]", 9, false, 9, ExpectNothingWritten},
                      FailureRow{"CreateZoneKey", Inject(ZoneFault(RegOp::Create).Error(5)), kNew,
                                 L"[136] err=5, key=Test Standard Time", 5, false, 5, ExpectNothingWritten},
                      FailureRow{"Display", Inject(ZoneFault(RegOp::SetValue).Value(L"Display").Error(1018)),
                                 kNew, L"[137] err=1018, key=Test Standard Time, v=\"(UTC-05:00) Test Time\"",
                                 1018, false, 1018, ExpectNamesWritten},
                      FailureRow{"Std", Inject(ZoneFault(RegOp::SetValue).Value(L"Std").Error(1018)), kNew,
                                 L"[138] err=1018, key=Test Standard Time, v=\"Test Standard Time\"", 1018,
                                 false, 1018, ExpectNamesWritten},
                      FailureRow{"Dlt", Inject(ZoneFault(RegOp::SetValue).Value(L"Dlt").Error(1018)), kNew,
                                 L"[139] err=1018, key=Test Standard Time, v=\"Test Daylight Time\"", 1018,
                                 false, 1018, ExpectNamesWritten},
                      FailureRow{"Tzi", Inject(ZoneFault(RegOp::SetValue).Value(L"TZI").Error(5)), kNew,
                                 L"[140] err=5, key=Test Standard Time", 5, false, 5,
                                 [](const MemoryRegistry& r) {
                                     EXPECT_TRUE(r.GetValue(DynamicPath(kKey), L"2008"));
                                 }},
                      FailureRow{
                          "DeleteDynamicDst",
                          Inject(DynamicFault(RegOp::DeleteKey).Error(5)),
                          {},
                          L"[141] err=5, key=Test Standard Time",
                          5,
                          false,
                          5,
                          [](const MemoryRegistry& r) { EXPECT_TRUE(r.KeyExists(DynamicPath(kKey))); }},
                      FailureRow{"CreateDynamicDst", Inject(DynamicFault(RegOp::Create).Error(5)), kNew,
                                 L"[142] err=5, key=Test Standard Time", 5, false, 5,
                                 [](const MemoryRegistry& r) {
                                     EXPECT_TRUE(r.GetValue(ZonePath(kKey), L"TZI"));
                                     EXPECT_FALSE(r.GetValue(DynamicPath(kKey), L"2008"));
                                 }},
                      FailureRow{"ReadFirstEntry",
                                 Inject(DynamicFault(RegOp::QueryValue).Value(L"FirstEntry").Error(1018)),
                                 kNew, L"[143] err=1018, key=Test Standard Time", 1018, false, 1018,
                                 ExpectOldYearsKeptNewWritten},
                      FailureRow{"FirstEntryType", PutDynamic(L"FirstEntry", REG_BINARY, DwordBytes(2005)),
                                 kNew, L"[144] key=Test Standard Time, type=3, sz=4", 13, false, 13,
                                 ExpectOldYearsKeptNewWritten},
                      FailureRow{"FirstEntrySize", PutDynamic(L"FirstEntry", REG_DWORD, {0xD5, 0x07}), kNew,
                                 L"[144] key=Test Standard Time, type=4, sz=2", 13, false, 13,
                                 ExpectOldYearsKeptNewWritten},
                      FailureRow{"ReadLastEntry",
                                 Inject(DynamicFault(RegOp::QueryValue).Value(L"LastEntry").Error(1018)),
                                 kNew, L"[145] err=1018, key=Test Standard Time", 1018, false, 1018,
                                 ExpectOldYearsKeptNewWritten},
                      FailureRow{"LastEntryType", PutDynamic(L"LastEntry", REG_SZ, ToUtf16Le(L"7", true)),
                                 kNew, L"[146] key=Test Standard Time, type=1, sz=4", 13, false, 13,
                                 ExpectOldYearsKeptNewWritten},
                      FailureRow{"DeleteOldYear",
                                 Inject(DynamicFault(RegOp::DeleteValue).Value(L"2006").Error(5)), kNew,
                                 L"[148] err=5, key=Test Standard Time, yr=2006", 5, false, 5,
                                 [](const MemoryRegistry& r) {
                                     EXPECT_FALSE(r.GetValue(DynamicPath(kKey), L"2005"));
                                     EXPECT_TRUE(r.GetValue(DynamicPath(kKey), L"2006"));
                                     EXPECT_FALSE(r.GetValue(DynamicPath(kKey), L"2007"));
                                 }},
                      FailureRow{"WriteFirstEntry",
                                 Inject(DynamicFault(RegOp::SetValue).Value(L"FirstEntry").Error(5)), kNew,
                                 L"[150] err=5, key=Test Standard Time", 5, false, 5,
                                 [](const MemoryRegistry& r) {
                                     EXPECT_TRUE(r.GetValue(DynamicPath(kKey), L"LastEntry"));
                                 }},
                      FailureRow{"WriteLastEntry",
                                 Inject(DynamicFault(RegOp::SetValue).Value(L"LastEntry").Error(5)), kNew,
                                 L"[151] err=5, key=Test Standard Time", 5, false, 5, ExpectNamesWritten},
                      FailureRow{"WriteYear",
                                 Inject(DynamicFault(RegOp::SetValue).Value(L"2009").Error(5)),
                                 {2008, 2009, 2010},
                                 L"[152] err=5, key=Test Standard Time, yr=2009",
                                 5,
                                 false,
                                 5,
                                 [](const MemoryRegistry& r) {
                                     EXPECT_TRUE(r.GetValue(DynamicPath(kKey), L"2010"));
                                 }},
                      FailureRow{
                          "EnumerateOldYears", Inject(DynamicFault(RegOp::EnumValue).At(2).Error(1018)), kNew,
                          L"[217] err=1018, key=Test Standard Time", 1018, false, 1018, ExpectNamesWritten}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvane::test
