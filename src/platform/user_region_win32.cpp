#include "platform/user_region.h"

#include "platform/win_types.h"

#include <iterator>

namespace tarvane {
namespace {

using GetUserDefaultGeoNameFn = int(WINAPI*)(LPWSTR geoName, int geoNameCount);

std::wstring GeoInfo(GEOID nation, GEOTYPE type) {
    wchar_t text[128] = {};
    const int length = ::GetGeoInfoW(nation, type, text, static_cast<int>(std::size(text)), 0);
    return length > 1 ? std::wstring(text, static_cast<std::size_t>(length - 1)) : std::wstring();
}

std::wstring LocaleInfo(LCTYPE type) {
    wchar_t text[128] = {};
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(std::size(text)));
    return length > 1 ? std::wstring(text, static_cast<std::size_t>(length - 1)) : std::wstring();
}

} // namespace

UserRegion ReadUserRegion() {
    UserRegion region;
    const GEOID nation = ::GetUserGeoID(GEOCLASS_NATION);
    // Windows 10 1709 and later keep the setting as a name, which an older
    // GEOID cannot always express.
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const auto getName = kernel32 == nullptr
                             ? nullptr
                             : reinterpret_cast<GetUserDefaultGeoNameFn>(reinterpret_cast<void*>(
                                   ::GetProcAddress(kernel32, "GetUserDefaultGeoName")));
    if (getName != nullptr) {
        wchar_t name[16] = {};
        const int length = getName(name, static_cast<int>(std::size(name)));
        if (length > 1) {
            region.code = RegionCodeOrEmpty(std::wstring_view(name, static_cast<std::size_t>(length - 1)));
        }
    }
    if (region.code.empty() && nation != GEOID_NOT_AVAILABLE) {
        region.code = RegionCodeOrEmpty(GeoInfo(nation, GEO_ISO2));
    }
    if (!region.code.empty() && nation != GEOID_NOT_AVAILABLE && GeoInfo(nation, GEO_ISO2) == region.code) {
        region.name = GeoInfo(nation, GEO_FRIENDLYNAME);
    }
    // Some systems (Wine among them) have no names for nations: the user's
    // locale names its own country, when that is the region.
    if (!region.code.empty() && region.name.empty() && LocaleInfo(LOCALE_SISO3166CTRYNAME) == region.code) {
        region.name = LocaleInfo(LOCALE_SLOCALIZEDCOUNTRYNAME);
    }
    return region;
}

} // namespace tarvane
