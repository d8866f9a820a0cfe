#include "platform/time_zone_api.h"

#include "platform/late_bound_functions.h"

#include <cstring>

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

// Copies `text` into a fixed array of `N` characters, cut to fit and always ended.
template <std::size_t N> void CopyName(const std::wstring& text, WCHAR (&target)[N]) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(target, text.data(), length * sizeof(WCHAR));
    target[length] = L'\0';
}

void FillBasic(const TimeZoneInfo& from, TIME_ZONE_INFORMATION* to) {
    to->Bias = from.bias;
    CopyName(from.standardName, to->StandardName);
    to->StandardDate = from.standardDate;
    to->StandardBias = from.standardBias;
    CopyName(from.daylightName, to->DaylightName);
    to->DaylightDate = from.daylightDate;
    to->DaylightBias = from.daylightBias;
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

    bool HasSetDynamicTimeZoneInformation() const override {
        return TheLateBoundFunctions().setDynamicTimeZoneInformation != nullptr;
    }

    BOOL SetDynamicTimeZoneInformation(const TimeZoneInfo& info) override {
        const auto setDynamic = TheLateBoundFunctions().setDynamicTimeZoneInformation;
        if (setDynamic == nullptr) {
            ::SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        DYNAMIC_TIME_ZONE_INFORMATION dynamic{};
        TIME_ZONE_INFORMATION basic{};
        FillBasic(info, &basic);
        dynamic.Bias = basic.Bias;
        std::memcpy(dynamic.StandardName, basic.StandardName, sizeof dynamic.StandardName);
        dynamic.StandardDate = basic.StandardDate;
        dynamic.StandardBias = basic.StandardBias;
        std::memcpy(dynamic.DaylightName, basic.DaylightName, sizeof dynamic.DaylightName);
        dynamic.DaylightDate = basic.DaylightDate;
        dynamic.DaylightBias = basic.DaylightBias;
        CopyName(info.timeZoneKeyName, dynamic.TimeZoneKeyName);
        dynamic.DynamicDaylightTimeDisabled = info.dynamicDaylightTimeDisabled ? TRUE : FALSE;
        return setDynamic(&dynamic);
    }

    BOOL SetTimeZoneInformation(const TimeZoneInfo& info) override {
        TIME_ZONE_INFORMATION basic{};
        FillBasic(info, &basic);
        return ::SetTimeZoneInformation(&basic);
    }

    BOOL OpenProcessToken(DWORD access, TokenHandle* token) override {
        HANDLE handle = nullptr;
        const BOOL opened = ::OpenProcessToken(::GetCurrentProcess(), access, &handle);
        *token = opened ? reinterpret_cast<TokenHandle>(handle) : 0;
        return opened;
    }

    BOOL LookupPrivilegeValue(std::wstring_view name, std::uint64_t* luid) override {
        const std::wstring text(name);
        LUID value{};
        const BOOL found = ::LookupPrivilegeValueW(nullptr, text.c_str(), &value);
        *luid = (static_cast<std::uint64_t>(static_cast<DWORD>(value.HighPart)) << 32) | value.LowPart;
        return found;
    }

    BOOL AdjustTokenPrivilege(TokenHandle token, std::uint64_t luid, DWORD attributes) override {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid.LowPart = static_cast<DWORD>(luid & 0xFFFFFFFF);
        privileges.Privileges[0].Luid.HighPart = static_cast<LONG>(luid >> 32);
        privileges.Privileges[0].Attributes = attributes;
        return ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges, sizeof privileges,
                                       nullptr, nullptr);
    }

    void CloseToken(TokenHandle token) override { ::CloseHandle(reinterpret_cast<HANDLE>(token)); }

    void BroadcastSettingChange(std::wstring_view area, UINT timeoutMs) override {
        const std::wstring text(area);
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(text.c_str()),
                              SMTO_ABORTIFHUNG, timeoutMs, &answer);
    }
};

} // namespace

TimeZoneApi& SystemTimeZoneApi() {
    static Win32TimeZoneApi api;
    return api;
}

} // namespace tarvane
