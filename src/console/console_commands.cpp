#include "console/console_commands.h"

#include "backup/activator.h"
#include "backup/backup_context.h"
#include "backup/backup_file.h"
#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "backup/restore.h"
#include "core/activation.h"
#include "core/save_checks.h"
#include "core/zone_loader.h"
#include "core/zone_sources.h"
#include "core/zone_writer.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "tzdb/cldr_mappings.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"
#include "tzdb/tz_release.h"
#include "tzdb/tz_release_choice.h"

#include <optional>

namespace tarvane::console {
namespace {

constexpr UINT kTypeMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kOkCancel = 0x1;
constexpr UINT kYesNo = 0x4;

// The backup commands' prompts, answered without anybody: the file dialogs
// give the file of the command line, a question is answered yes only when
// the command line said --yes, and every message is kept for the report.
class ConsolePrompts : public Prompts {
public:
    struct Shown {
        std::wstring text;
        UINT flags;
    };
    ConsolePrompts(std::wstring path, bool confirm) : path_(std::move(path)), confirm_(confirm) {}

    int ShowMessage(const std::wstring& text, UINT flags) override {
        shown.push_back(Shown{text, flags});
        switch (flags & kTypeMask) {
        case MB_OK:
            return IDOK;
        case kOkCancel:
            return confirm_ ? IDOK : IDCANCEL;
        case kYesNo:
        case MB_YESNOCANCEL:
            return confirm_ ? IDYES : IDNO;
        default:
            return IDCANCEL;
        }
    }
    FileChoice AskSavePath(std::wstring* path) override { return GivePath(path); }
    FileChoice AskOpenPath(std::wstring* path) override { return GivePath(path); }
    FileChoice AskZoneFilePath(const std::wstring&, std::wstring* path) override { return GivePath(path); }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void Beep() override {}

    std::vector<Shown> shown;

private:
    FileChoice GivePath(std::wstring* path) {
        *path = path_;
        return path_.empty() ? FileChoice::kCancelled : FileChoice::kChosen;
    }
    std::wstring path_;
    bool confirm_;
};

// No window: nothing to switch, show or relaunch. A reload reads the
// registry again, so that a restore learns whether it can be read.
class ConsoleWindow : public MainWindowOps {
public:
    explicit ConsoleWindow(ConsoleHost& host) : host_(host) {}
    EditMode Mode() const override { return EditMode::kView; }
    void SetEditMode(EditMode, EditModeOptions) override {}
    bool ReloadZoneList(bool) override {
        std::vector<TimeZoneRecord> zones;
        return ReadTimeZones(host_.registry, host_.timeZones, zones);
    }
    void UpdateTitle() override {}
    void RemoveBackupNotice() override {}
    const TimeZoneRecord* SelectedZone() const override { return nullptr; }
    bool RegistryNotWritable() const override { return false; }
    RelaunchOutcome RelaunchAndClose(const std::wstring&) override { return RelaunchOutcome::kFailed; }
    void NewTimeZone(bool) override {}
    void DeleteTimeZone(bool) override {}

private:
    ConsoleHost& host_;
};

// The reminder to make a backup belongs to the window's user, not to
// whoever runs a script.
class NoSettings : public BackupSettings {
public:
    bool WriteBackupSavedOnce() override { return true; }
};

ConsoleReport Failure(int exitCode, const std::wstring& message) {
    ConsoleReport report;
    report.exitCode = exitCode;
    report.error = message;
    report.summary = message;
    return report;
}

std::wstring SystemErrorText(const std::wstring& message, DWORD error) {
    return Format(L"%s (%d) %s", message, error, GetErrorText(error));
}

bool RefusedByRights(ConsoleHost& host, ConsoleCommand command, ConsoleReport* report) {
    if (!TimeZonesWriteDenied(host.registry)) {
        return false;
    }
    LogMessage(L"[399] cmd=%s", CommandName(command));
    *report = Failure(kExitNotAdmin, Format(L"ERROR: tarvanec %s writes the time-zone database and needs "
                                            L"administrator rights: run it elevated or as SYSTEM.",
                                            CommandName(command)));
    return true;
}

bool LoadZones(ConsoleHost& host, std::vector<TimeZoneRecord>* zones, ConsoleReport* report) {
    if (ReadTimeZones(host.registry, host.timeZones, *zones)) {
        return true;
    }
    const DWORD error = GetThreadLastError();
    LogMessage(L"[392] zones=%u", static_cast<DWORD>(zones->size()));
    *report =
        Failure(kExitFailed,
                SystemErrorText(L"ERROR: Failed to read the time zones from the system registry.", error));
    return false;
}

// The table the tz commands use: the program's, or the release of
// --tzdata with the program's CLDR mapping.
const TzTable* LoadTable(ConsoleHost& host, const std::wstring& path, std::optional<TzTable>* release,
                         ConsoleReport* report) {
    const TzTable* program = host.programTable ? host.programTable() : nullptr;
    if (program == nullptr) {
        *report = Failure(kExitFailed, L"ERROR: The tz database is missing or damaged in this program file.");
        return nullptr;
    }
    if (path.empty()) {
        return program;
    }
    // A tarball, a tzdata.zi or a folder of extracted files, read as the
    // window's release command reads one.
    TzReleaseFiles files;
    files.kind = [&](const std::wstring& at) {
        return !host.files.Exists(at) ? 0 : host.files.IsDirectory(at) ? 2 : 1;
    };
    files.read = [&](const std::wstring& at, std::string* bytes) {
        std::vector<BYTE> data;
        if (!LoadFileBytes(host.files, at, &data)) {
            return false;
        }
        bytes->assign(data.begin(), data.end());
        return true;
    };
    TzTable table;
    std::wstring sha256;
    TzSourceError refusal;
    switch (ReadTzReleaseAt(files, path, &table, &sha256, &refusal)) {
    case TzReleaseReadResult::kRead:
        break;
    case TzReleaseReadResult::kMissing:
        LogMessage(L"[393] path=\"%s\"", path);
        *report = Failure(kExitRefused, Format(L"ERROR: There is no tz release \"%s\".", path));
        return nullptr;
    case TzReleaseReadResult::kUnreadable: {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[400] path=\"%s\"", path);
        *report =
            Failure(kExitFailed,
                    SystemErrorText(Format(L"ERROR: The tz release \"%s\" could not be read.", path), error));
        return nullptr;
    }
    case TzReleaseReadResult::kRefused:
        LogMessage(L"[394] path=\"%s\", reason=\"%s\"", path, TzSourceErrorText(refusal));
        *report = Failure(kExitRefused, Format(L"ERROR: The tz release \"%s\" was refused: %s.", path,
                                               TzSourceErrorText(refusal)));
        return nullptr;
    }
    CarryCldrMappings(*program, &table);
    *release = std::move(table);
    return &**release;
}

struct RegionChoice {
    std::wstring code; // the territory the zones are chosen for
    std::wstring text; // "Canada (CA)"
};

RegionChoice ChooseRegion(ConsoleHost& host, const ConsoleOptions& options) {
    if (!options.region.empty()) {
        return RegionChoice{options.region, RegionText(options.region, L"")};
    }
    const UserRegion region = host.userRegion ? host.userRegion() : UserRegion{};
    return RegionChoice{TerritoryOfRegion(region.code), RegionText(region.code, region.name)};
}

// What check and fill both start from: the tz release, the registry's zones
// and their recorded sources, the region and the years.
struct TzInputs {
    std::vector<TimeZoneRecord> zones;
    std::optional<TzTable> release; // a release named with --tzdata
    const TzTable* table = nullptr; // that release, or the built-in table
    RegionChoice region;
    YearRange years{};
    ZoneSources sources;
};

// Fills `inputs` in place (its table may point into its own release); false
// with the failure in `report` when the release or the zones cannot be read.
bool LoadTzInputs(ConsoleHost& host, const ConsoleOptions& options, TzInputs* inputs, ConsoleReport* report) {
    inputs->table = LoadTable(host, options.tzdataPath, &inputs->release, report);
    if (inputs->table == nullptr || !LoadZones(host, &inputs->zones, report)) {
        return false;
    }
    inputs->region = ChooseRegion(host, options);
    inputs->years = options.years.value_or(DefaultYears(host.thisYear));
    inputs->sources = ReadZoneSources(host.registry);
    return true;
}

std::wstring OffsetOfBias(LONG bias) {
    return UtcOffsetText(-static_cast<std::int64_t>(bias) * 60);
}

std::wstring DynamicYearsText(const TimeZoneRecord& zone) {
    std::vector<YearRun> runs;
    for (const DynamicYearRecord& year : zone.years) {
        if (!runs.empty() && runs.back().last + 1 == year.year) {
            runs.back().last = year.year;
        } else {
            runs.push_back(YearRun{year.year, year.year});
        }
    }
    return YearRunsText(runs);
}

ConsoleReport RunList(const ConsoleOptions&, ConsoleHost& host) {
    ConsoleReport report;
    std::vector<TimeZoneRecord> zones;
    if (!LoadZones(host, &zones, &report)) {
        return report;
    }
    JsonWriter json;
    json.BeginObject().String(L"command", L"list").BeginArray(L"zones");
    const TimeZoneRecord* current = nullptr;
    for (const TimeZoneRecord& zone : zones) {
        const TziBlock& tzi = zone.rules.tzi;
        const std::wstring standard = OffsetOfBias(tzi.Bias + tzi.StandardBias);
        const std::wstring daylight = OffsetOfBias(tzi.Bias + tzi.DaylightBias);
        const bool hasDaylight = zone.rules.dstEnabled != 0;
        const std::wstring years = DynamicYearsText(zone);
        if (zone.isCurrent != 0) {
            current = &zone;
        }
        report.detail.push_back(
            Format(L"%s %s | %s | %s%s | %s", zone.isCurrent != 0 ? L"*" : L" ", zone.keyName,
                   zone.displayName, standard, hasDaylight ? L", daylight " + daylight : std::wstring(),
                   years.empty() ? std::wstring(L"no dynamic years") : L"years " + years));
        json.BeginObject()
            .String(L"key", zone.keyName)
            .String(L"displayName", zone.displayName)
            .String(L"standardName", zone.standardName)
            .String(L"daylightName", zone.daylightName)
            .String(L"standardOffset", standard);
        if (hasDaylight) {
            json.String(L"daylightOffset", daylight);
        } else {
            json.Null(L"daylightOffset");
        }
        json.BeginArray(L"dynamicYears");
        for (const DynamicYearRecord& year : zone.years) {
            json.NumberItem(year.year);
        }
        json.EndArray().Bool(L"current", zone.isCurrent != 0).EndObject();
    }
    report.summary = Format(L"%u zones; the current zone is %s", static_cast<DWORD>(zones.size()),
                            current != nullptr ? L"\"" + current->keyName + L"\" (marked *)"
                                               : std::wstring(L"none of them"));
    json.EndArray().String(L"summary", report.summary).Number(L"exitCode", report.exitCode).EndObject();
    report.json = json.Text();
    return report;
}

bool Counts(const ZoneCheck& check, bool allRegions) {
    return check.status == TzCheckStatus::kDiffers && (allRegions || !check.otherRegion);
}

std::wstring CheckLine(const ZoneCheck& check) {
    return Format(L"%s: differs from %s%s: %s", check.key, check.tzName,
                  check.region.empty()
                      ? std::wstring()
                      : Format(check.otherRegion ? L" (%s, another region)" : L" (%s)", check.region),
                  check.difference);
}

ConsoleReport RunCheck(const ConsoleOptions& options, ConsoleHost& host) {
    ConsoleReport report;
    TzInputs inputs;
    if (!LoadTzInputs(host, options, &inputs, &report)) {
        return report;
    }
    const TzTable* table = inputs.table;
    const RegionChoice& region = inputs.region;
    const YearRange years = inputs.years;
    const std::vector<ZoneCheck> checks =
        CheckZoneYears(inputs.zones, *table, years.first, years.last, inputs.sources, region.code);
    const CheckCounts counts = CountChecks(checks);

    JsonWriter json;
    json.BeginObject()
        .String(L"command", L"check")
        .String(L"release", TzReleaseText(*table))
        .String(L"region", region.code)
        .Number(L"firstYear", years.first)
        .Number(L"lastYear", years.last)
        .Bool(L"allRegions", options.allRegions)
        .BeginArray(L"checks");
    DWORD differing = 0;
    for (const ZoneCheck& check : checks) {
        if (Counts(check, options.allRegions)) {
            ++differing;
            report.detail.push_back(CheckLine(check));
        }
        json.BeginObject()
            .String(L"key", check.key)
            .String(L"region", check.region)
            .String(L"tzName", check.tzName)
            .String(L"status", StatusText(check.status))
            .String(L"difference", check.difference)
            .Bool(L"otherRegion", check.otherRegion)
            .EndObject();
    }
    report.exitCode = differing != 0 ? kExitDiffers : kExitOk;
    report.summary = Format(L"%s, %d-%d: %s", TzReleaseText(*table), years.first, years.last,
                            CheckSummary(counts, region.text));
    json.EndArray()
        .BeginObjectMember(L"counts")
        .Number(L"zones", counts.zones)
        .Number(L"matches", counts.matches)
        .Number(L"differ", counts.differ)
        .Number(L"noMapping", counts.noMapping)
        .Number(L"otherRegionsDiffer", counts.otherRegionsDiffer)
        .EndObject()
        .String(L"summary", report.summary)
        .Number(L"exitCode", report.exitCode)
        .EndObject();
    report.json = json.Text();
    return report;
}

struct FillTarget {
    const TimeZoneRecord* zone;
    std::wstring tzName;
};

// The names, cut to a few, for a summary line.
std::wstring NameList(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names) {
        text += (text.empty() ? L"" : L", ") + name;
    }
    return text;
}

ConsoleReport RunFill(const ConsoleOptions& options, ConsoleHost& host) {
    ConsoleReport report;
    if (!options.dryRun && RefusedByRights(host, ConsoleCommand::kFill, &report)) {
        return report;
    }
    TzInputs inputs;
    if (!LoadTzInputs(host, options, &inputs, &report)) {
        return report;
    }
    const std::vector<TimeZoneRecord>& zones = inputs.zones;
    const TzTable* table = inputs.table;
    const RegionChoice& region = inputs.region;
    const YearRange years = inputs.years;
    const ZoneSources& sources = inputs.sources;

    std::vector<FillTarget> targets;
    if (options.stale) {
        const std::vector<ZoneCheck> checks =
            CheckZoneYears(zones, *table, years.first, years.last, sources, region.code);
        for (const ZoneCheck& check : checks) {
            if (!check.otherRegion && check.status == TzCheckStatus::kDiffers) {
                for (const TimeZoneRecord& zone : zones) {
                    if (EqualKeyNames(zone.keyName, check.key)) {
                        targets.push_back(FillTarget{&zone, check.tzName});
                    }
                }
            }
        }
    } else {
        const TimeZoneRecord* zone = nullptr;
        for (const TimeZoneRecord& candidate : zones) {
            if (EqualKeyNames(candidate.keyName, options.zoneKey)) {
                zone = &candidate;
            }
        }
        if (zone == nullptr) {
            SetThreadLastError(ERROR_FILE_NOT_FOUND);
            LogMessage(L"[395] key=\"%s\"", options.zoneKey);
            return Failure(kExitRefused, Format(L"ERROR: There is no time zone \"%s\" in the registry; "
                                                L"\"tarvanec list\" lists them.",
                                                options.zoneKey));
        }
        std::wstring tzName = options.tzName;
        if (tzName.empty()) {
            const TzChoice choice = ChooseTzZone(*table, zone->keyName, sources, region.code);
            if (choice.tzName == nullptr) {
                LogMessage(L"[404] key=\"%s\"", zone->keyName);
                return Failure(kExitRefused, Format(L"ERROR: The tz database maps no IANA zone to \"%s\": "
                                                    L"name one with --tz.",
                                                    zone->keyName));
            }
            tzName = *choice.tzName;
        }
        targets.push_back(FillTarget{zone, tzName});
    }

    DWORD filled = 0;
    DWORD unchanged = 0;
    std::vector<std::wstring> inexpressible;
    std::vector<std::wstring> refused;
    std::vector<std::wstring> errors;
    bool failed = false;
    bool notCurrent = false;
    const wchar_t* verb = options.dryRun ? L"would be filled" : L"filled";
    for (const FillTarget& target : targets) {
        const TimeZoneRecord& zone = *target.zone;
        const TzZone* tz = FindTzZone(*table, target.tzName);
        if (tz == nullptr) {
            LogMessage(L"[402] key=\"%s\", tz=\"%s\"", zone.keyName, target.tzName);
            return Failure(kExitRefused, Format(L"ERROR: The %s has no zone \"%s\".", TzReleaseText(*table),
                                                target.tzName));
        }
        const FillPlan plan = PlanFill(zone, *tz, years.first, years.last);
        if (!plan.problems.empty() || plan.filledYears == 0 || plan.years.size() > kMaxDynamicYears) {
            // As in the window: nothing of such a zone is written.
            LogMessage(L"[396] key=\"%s\", tz=\"%s\", from=%d, to=%d, yrs=%u", zone.keyName, target.tzName,
                       years.first, years.last, static_cast<DWORD>(plan.years.size()));
            inexpressible.push_back(zone.keyName);
            report.detail.push_back(
                plan.years.size() > kMaxDynamicYears
                    ? Format(L"%s: not filled from %s: the zone would have more than %u dynamic years",
                             zone.keyName, target.tzName, static_cast<DWORD>(kMaxDynamicYears))
                    : Format(L"%s: not filled from %s: the registry cannot express these years: %s",
                             zone.keyName, target.tzName,
                             OneLine(ReplaceAll(ProblemLines(plan.problems), L"\n", L"; "))));
            continue;
        }
        TimeZoneRecord record = zone;
        record.rules = plan.rules;
        record.years = plan.years;
        record.displayName = DisplayNameForBias(zone.displayName, plan.rules.tzi.Bias);
        // What Save Changes would refuse to write is not written here either.
        if (const std::optional<SaveRefusal> refusal = CheckZoneForSave(record, host.clock)) {
            LogMessage(L"[405] key=\"%s\", yr=%u, reason=\"%s\"", zone.keyName, refusal->year,
                       refusal->message);
            refused.push_back(zone.keyName);
            report.detail.push_back(Format(L"%s: not filled from %s: Save Changes refuses it: %s",
                                           zone.keyName, target.tzName, refusal->message));
            continue;
        }
        if (SameStoredZone(record, zone)) {
            ++unchanged;
            report.detail.push_back(Format(L"%s: already holds the rules of %s for %d-%d", zone.keyName,
                                           target.tzName, years.first, years.last));
            continue;
        }
        std::wstring line = Format(L"%s: %s from %s, %d-%d (%d years)", zone.keyName, verb, target.tzName,
                                   years.first, years.last, plan.filledYears);
        if (record.displayName != zone.displayName) {
            line += Format(L"; display name \"%s\"", record.displayName);
        }
        if (plan.laterDifference) {
            line += Format(L"; from %d on the tz database differs from the rules it keeps",
                           *plan.laterDifference);
        }
        if (options.dryRun) {
            ++filled;
            report.detail.push_back(line);
            continue;
        }
        if (!SaveTimeZone(host.registry, host.facts.is64BitOs, record)) {
            const DWORD error = GetThreadLastError();
            const std::wstring dump = DumpRecord(record);
            SetThreadLastError(error);
            LogMessage(L"[397] %s", dump);
            failed = true;
            errors.push_back(SystemErrorText(
                Format(L"ERROR: Failed to save the time zone \"%s\" in the system registry.", zone.keyName),
                error));
            report.detail.push_back(errors.back());
            continue;
        }
        ++filled;
        report.detail.push_back(line);
        if (zone.isCurrent != 0 && !ActivateTimeZone(host.timeZones, host.facts.isLegacyOs, &record)) {
            const DWORD error = GetThreadLastError();
            const std::wstring dump = DumpRecord(record);
            SetThreadLastError(error);
            LogMessage(L"[398] %s", dump);
            notCurrent = true;
            errors.push_back(
                SystemErrorText(Format(L"ERROR: The time zone \"%s\" was saved, but it could not "
                                       L"be made the current time zone again.",
                                       zone.keyName),
                                error));
            report.detail.push_back(errors.back());
        } else if (zone.isCurrent != 0) {
            report.detail.push_back(Format(L"%s: made the current time zone again", zone.keyName));
        }
    }

    if (targets.empty()) {
        report.summary = Format(L"Nothing to fill: every zone matches the %s for %s, %d-%d",
                                TzReleaseText(*table), region.text, years.first, years.last);
        return report;
    }
    std::wstring summary = Format(L"%u %s %s from the %s, %d-%d", filled, filled == 1 ? L"zone" : L"zones",
                                  verb, TzReleaseText(*table), years.first, years.last);
    if (unchanged != 0) {
        summary += Format(L"; %u already held those rules", unchanged);
    }
    if (!inexpressible.empty()) {
        const bool one = inexpressible.size() == 1;
        summary += Format(L"; %u left as %s, the registry cannot express %s years: %s",
                          static_cast<DWORD>(inexpressible.size()), one ? L"it is" : L"they are",
                          one ? L"its" : L"their", NameList(inexpressible));
    }
    if (!refused.empty()) {
        summary += Format(L"; %u refused as Save Changes refuses %s: %s", static_cast<DWORD>(refused.size()),
                          refused.size() == 1 ? L"it" : L"them", NameList(refused));
    }
    if (!errors.empty()) {
        summary += Format(L"; %u failed", static_cast<DWORD>(errors.size()));
    }
    report.summary = summary;
    if (failed) {
        report.exitCode = kExitFailed;
    } else if (notCurrent) {
        report.exitCode = kExitNotCurrent;
    } else if (!refused.empty()) {
        report.exitCode = kExitRefused;
    } else if (!inexpressible.empty()) {
        report.exitCode = kExitNotExpressible;
    }
    if (report.exitCode != kExitOk) {
        errors.push_back(report.summary);
        report.error = NameList(errors);
    }
    return report;
}

struct BackupWorld {
    explicit BackupWorld(ConsoleHost& host, const std::wstring& path, bool confirm)
        : prompts(path, confirm), window(host),
          activator(host.timeZones, host.facts.isLegacyOs), context{host.registry,
                                                                    host.files,
                                                                    host.processes,
                                                                    prompts,
                                                                    window,
                                                                    settings,
                                                                    activator,
                                                                    host.facts.isLegacyOs,
                                                                    host.facts.is64BitOs} {}
    ConsolePrompts prompts;
    ConsoleWindow window;
    NoSettings settings;
    SystemZoneActivator activator;
    BackupContext context;
};

// The command's messages as a report: the last one is the summary, an error
// among them makes the command fail with `failure`.
ConsoleReport ReportOfMessages(const ConsolePrompts& prompts, int failure) {
    ConsoleReport report;
    for (const ConsolePrompts::Shown& shown : prompts.shown) {
        report.detail.push_back(shown.text);
        if ((shown.flags & kIconMask) == MB_ICONERROR) {
            report.exitCode = failure;
            report.error = shown.text;
        }
    }
    if (!report.detail.empty()) {
        report.summary = report.detail.back();
        report.detail.pop_back();
    }
    return report;
}

ConsoleReport RunExport(const ConsoleOptions& options, ConsoleHost& host) {
    TimeZoneRecord zone;
    if (!LoadZone(host.registry, options.zoneKey, &zone)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[401] key=\"%s\"", options.zoneKey);
        return error == ERROR_FILE_NOT_FOUND
                   ? Failure(kExitRefused, Format(L"ERROR: There is no time zone \"%s\" in the registry; "
                                                  L"\"tarvanec list\" lists them.",
                                                  options.zoneKey))
                   : Failure(kExitFailed,
                             SystemErrorText(
                                 Format(L"ERROR: The time zone \"%s\" could not be read.", options.zoneKey),
                                 error));
    }
    BackupWorld world(host, options.file, false);
    ExportTimeZone(world.context, options.zoneKey);
    return ReportOfMessages(world.prompts, kExitFailed);
}

ConsoleReport RunBackup(const ConsoleOptions& options, ConsoleHost& host) {
    BackupWorld world(host, options.file, false);
    MakeBackup(world.context);
    return ReportOfMessages(world.prompts, kExitFailed);
}

ConsoleReport RunRestore(const ConsoleOptions& options, ConsoleHost& host) {
    ConsoleReport report;
    if (RefusedByRights(host, ConsoleCommand::kRestore, &report)) {
        return report;
    }
    BackupWorld world(host, options.file, options.yes);
    ImportOutcome outcome;
    const RestoreOutcome result = RestoreFromBackup(world.context, options.file, false, &outcome);
    report = ReportOfMessages(world.prompts, outcome.refused ? kExitRefused : kExitFailed);
    if (result == RestoreOutcome::kRestored && outcome.onlyActivationFailed) {
        report.exitCode = kExitNotCurrent;
        report.error = report.summary;
    } else if (result == RestoreOutcome::kFailed && report.exitCode == kExitOk) {
        report.exitCode = outcome.refused ? kExitRefused : kExitFailed;
        report.error = report.summary = L"ERROR: The time zones could not be restored.";
    }
    return report;
}

} // namespace

ConsoleReport RunConsoleCommand(const ConsoleOptions& options, ConsoleHost& host) {
    switch (options.command) {
    case ConsoleCommand::kList:
        return RunList(options, host);
    case ConsoleCommand::kCheck:
        return RunCheck(options, host);
    case ConsoleCommand::kFill:
        return RunFill(options, host);
    case ConsoleCommand::kExport:
        return RunExport(options, host);
    case ConsoleCommand::kBackup:
        return RunBackup(options, host);
    case ConsoleCommand::kRestore:
        return RunRestore(options, host);
    case ConsoleCommand::kHelp:
    default: {
        ConsoleReport report;
        report.detail.push_back(HelpText(options.helpTopic));
        return report;
    }
    }
}

} // namespace tarvane::console
