#include "core/save_checks.h"

#include "platform/diagnostic_log.h"
#include "platform/text.h"

namespace tarvane {

std::optional<SaveRefusal> CheckZoneForSave(TimeZoneRecord& zone, ClockApi& clock) {
    zone.displayName = TrimWhiteSpace(zone.displayName);
    if (zone.displayName.empty()) {
        return SaveRefusal{0, SaveField::kDisplayName, L"'Display Name' must be provided"};
    }
    const auto check = [&](DWORD year, ZoneRules& rules) -> std::optional<SaveRefusal> {
        const ZoneRulesCheck result = CheckZoneRules(zone, year, rules, clock);
        if (!result.problem) {
            return std::nullopt;
        }
        if (!result.problem->logLine.empty()) {
            LogText(EVENTLOG_ERROR_TYPE, result.problem->logLine.c_str());
        }
        return SaveRefusal{year, result.problem->field, result.problem->message};
    };
    if (auto refusal = check(0, zone.rules)) {
        return refusal;
    }
    for (DynamicYearRecord& year : zone.years) {
        if (auto refusal = check(year.year, year.rules)) {
            return refusal;
        }
    }
    return std::nullopt;
}

} // namespace tarvane
