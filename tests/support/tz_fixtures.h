// The tz table the build generated (the program carries the same bytes as a
// resource), and zones made up for the tz tests.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_table.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tarvane::test {

// Read once from the build tree; an empty table (and a test failure) when
// the file is missing or damaged.
const TzTable& GeneratedTzTable();

// The generated file's bytes.
std::vector<BYTE> GeneratedTzTableBytes();

// The bytes of tests/data/<name> (empty when it cannot be read).
std::string TestDataBytes(const char* name);

// A tz zone that follows `rule` (a POSIX TZ string) from 1970 on, with
// `changes` listed before it: UTC seconds and the offset from then on.
TzZone RuleZone(const wchar_t* rule, LONG offsetIn1970,
                std::initializer_list<std::pair<std::int64_t, LONG>> changes = {});

// A zone record with `tzi` as its own rules and `years` as its dynamic years.
TimeZoneRecord RecordWith(const TziBlock& tzi, std::initializer_list<std::pair<DWORD, TziBlock>> years = {});

} // namespace tarvane::test
