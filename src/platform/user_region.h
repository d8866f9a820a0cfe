// The user's Country or Region setting, which decides which of CLDR's
// territories the tz commands compare a zone with.
#pragma once

#include <string>
#include <string_view>

namespace tarvane {

struct UserRegion {
    std::wstring code; // ISO 3166 ("CA"); empty when the system names none
    std::wstring name; // "Canada"; empty when the system has no name for it
};

// `text` when it is an ISO 3166 code (two capital letters), else empty.
std::wstring RegionCodeOrEmpty(std::wstring_view text);

// Reads the setting: GetUserDefaultGeoName where the system has it, else
// the nation of GetUserGeoID through GetGeoInfoW.
UserRegion ReadUserRegion();

} // namespace tarvane
