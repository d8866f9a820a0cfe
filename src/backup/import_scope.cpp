#include "backup/import_scope.h"

#include "platform/text.h"

namespace tarvane {
namespace {

constexpr std::wstring_view kAllowedInformationKey =
    L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr std::wstring_view kAllowedZonesKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

} // namespace

std::wstring_view PathBelowTimeZones(std::wstring_view key) {
    if (key.size() <= kAllowedZonesKey.size() + 1 || key[kAllowedZonesKey.size()] != L'\\' ||
        !EqualAsciiNoCase(key.substr(0, kAllowedZonesKey.size()), kAllowedZonesKey)) {
        return {};
    }
    return key.substr(kAllowedZonesKey.size() + 1);
}

bool IsImportKeyAllowed(std::wstring_view key) {
    if (EqualAsciiNoCase(key, kAllowedInformationKey) || EqualAsciiNoCase(key, kAllowedZonesKey)) {
        return true;
    }
    const std::wstring_view below = PathBelowTimeZones(key);
    return !below.empty() && below.front() != L'\\' && below.back() != L'\\' &&
           below.find(L"\\\\") == std::wstring_view::npos;
}

} // namespace tarvane
