#include "platform/time_zone_api.h"

#include "platform/late_bound_functions.h"

namespace tarvane {
namespace {

void CopyBasic(const TIME_ZONE_INFORMATION& from, TimeZoneInfo* to) {
    to->bias = from.Bias;
    to->standardName = from.StandardName;
    to->standardDate = from.StandardDate;
    to->standardBias = from.StandardBias;
    to->daylightName = from.DaylightName;
    to->daylightDate = from.DaylightDate;
    to->daylightBias = from.DaylightBias;
}

class Win32TimeZoneApi : public TimeZoneApi {
public:
    bool HasGetDynamicTimeZoneInformation() const override {
        return TheLateBoundFunctions().getDynamicTimeZoneInformation != nullptr;
    }

    DWORD GetDynamicTimeZoneInformation(TimeZoneInfo* info) override {
        const auto getDynamic = TheLateBoundFunctions().getDynamicTimeZoneInformation;
        if (getDynamic == nullptr) {
            ::SetLastError(ERROR_NOT_SUPPORTED);
            return TIME_ZONE_ID_INVALID;
        }
        DYNAMIC_TIME_ZONE_INFORMATION dynamic{};
        const DWORD result = getDynamic(&dynamic);
        TIME_ZONE_INFORMATION basic{};
        basic.Bias = dynamic.Bias;
        static_assert(sizeof basic.StandardName == sizeof dynamic.StandardName);
        memcpy(basic.StandardName, dynamic.StandardName, sizeof basic.StandardName);
        memcpy(basic.DaylightName, dynamic.DaylightName, sizeof basic.DaylightName);
        basic.StandardName[31] = basic.DaylightName[31] = L'\0';
        basic.StandardDate = dynamic.StandardDate;
        basic.StandardBias = dynamic.StandardBias;
        basic.DaylightDate = dynamic.DaylightDate;
        basic.DaylightBias = dynamic.DaylightBias;
        CopyBasic(basic, info);
        dynamic.TimeZoneKeyName[127] = L'\0';
        info->timeZoneKeyName = dynamic.TimeZoneKeyName;
        info->dynamicDaylightTimeDisabled = dynamic.DynamicDaylightTimeDisabled != FALSE;
        return result;
    }

    DWORD GetTimeZoneInformation(TimeZoneInfo* info) override {
        TIME_ZONE_INFORMATION basic{};
        const DWORD result = ::GetTimeZoneInformation(&basic);
        basic.StandardName[31] = basic.DaylightName[31] = L'\0';
        CopyBasic(basic, info);
        info->timeZoneKeyName.clear();
        info->dynamicDaylightTimeDisabled = false;
        return result;
    }
};

} // namespace

TimeZoneApi& SystemTimeZoneApi() {
    static Win32TimeZoneApi api;
    return api;
}

} // namespace tarvane
