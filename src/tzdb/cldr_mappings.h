// CLDR's Windows zone mapping carried from one tz table to another: a release
// read from a user's file has the IANA zones but no Windows keys, which come
// with the program's own table.
#pragma once

#include "tzdb/tz_table.h"

namespace tarvane {

// `release` gets the CLDR version, the Windows keys and the mappings of
// `source`, each IANA name found again in `release` by its spelling; a name
// the release lacks is left out of the mappings (and a key whose main zone
// it lacks has none).
void CarryCldrMappings(const TzTable& source, TzTable* release);

} // namespace tarvane
