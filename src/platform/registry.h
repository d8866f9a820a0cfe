// The registry seam. `RegistryApi` mirrors the advapi32 calls the program
// makes and returns their Windows error codes unchanged; `RegKey` closes the
// key it holds; the iterators walk subkeys and values. Two implementations:
// the real registry (Windows) and an in-memory registry with fault injection.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

using RegHandle = std::uintptr_t;

// The predefined keys, with the values Windows gives them.
inline const RegHandle kHkeyCurrentUser =
    static_cast<RegHandle>(static_cast<std::intptr_t>(LONG(0x80000001)));
inline const RegHandle kHkeyLocalMachine =
    static_cast<RegHandle>(static_cast<std::intptr_t>(LONG(0x80000002)));
inline const RegHandle kHkeyUsers = static_cast<RegHandle>(static_cast<std::intptr_t>(LONG(0x80000003)));

// Paths of the time-zone database below HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kTimeZonesPath[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
inline constexpr wchar_t kTimeZoneInformationPath[] =
    L"SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
inline constexpr wchar_t kDynamicDstName[] = L"Dynamic DST";

// The registry view this process works in, for the calls that name one.
inline constexpr REGSAM kOwnRegistryView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

struct RegKeyInfo {
    DWORD subKeys = 0;
    DWORD maxSubKeyLength = 0; // characters, without terminator
    DWORD values = 0;
    DWORD maxValueNameLength = 0; // characters, without terminator
    DWORD maxValueDataLength = 0; // bytes
};

// A key or value name with an embedded NUL: the system's calls would stop
// at it and act on another key or value, so both implementations refuse such
// a name with ERROR_INVALID_PARAMETER.
inline bool HoldsNul(std::wstring_view name) {
    return name.find(L'\0') != std::wstring_view::npos;
}

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // RegOpenKeyExW.
    virtual LONG OpenKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) = 0;
    // RegOpenKeyExW with REG_OPTION_OPEN_LINK: a symbolic link is opened
    // itself, not the key it points to (what is about to be deleted is never
    // followed elsewhere). Where there are no links, OpenKey.
    virtual LONG OpenKeyNoLink(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result) {
        return OpenKey(parent, subKey, access, result);
    }
    // RegCreateKeyExW: non-volatile, no class; `disposition` may be null.
    virtual LONG CreateKey(RegHandle parent, std::wstring_view subKey, REGSAM access, RegHandle* result,
                           DWORD* disposition) = 0;
    // RegCloseKey.
    virtual LONG CloseKey(RegHandle key) = 0;
    // RegEnumKeyExW: `capacity` counts UTF-16 units including the terminator.
    virtual LONG EnumKey(RegHandle key, DWORD index, DWORD capacity, std::wstring* name) = 0;
    // RegEnumValueW: `nameCapacity` as for EnumKey; `data` may be null, then
    // only the size is returned; `type` and `dataSize` may be null when not asked.
    virtual LONG EnumValue(RegHandle key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type,
                           BYTE* data, DWORD* dataSize) = 0;
    // RegQueryInfoKeyW.
    virtual LONG QueryInfoKey(RegHandle key, RegKeyInfo* info) = 0;
    // RegQueryValueExW: `data` may be null to ask for type and size; an empty
    // name is the key's default value.
    virtual LONG QueryValue(RegHandle key, std::wstring_view name, DWORD* type, BYTE* data,
                            DWORD* dataSize) = 0;
    // RegSetValueExW.
    virtual LONG SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data,
                          DWORD size) = 0;
    // RegDeleteValueW.
    virtual LONG DeleteValue(RegHandle key, std::wstring_view name) = 0;
    // RegDeleteKeyW: the subkey must have no subkeys of its own.
    virtual LONG DeleteKey(RegHandle parent, std::wstring_view subKey) = 0;
    // Whether RegDeleteKeyExW exists on this system.
    virtual bool HasDeleteKeyEx() const = 0;
    // RegDeleteKeyExW; only called when HasDeleteKeyEx().
    virtual LONG DeleteKeyEx(RegHandle parent, std::wstring_view subKey, REGSAM view) = 0;
};

// An open key that closes itself.
class RegKey {
public:
    explicit RegKey(RegistryApi& api) : api_(&api) {}
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : api_(other.api_), handle_(other.handle_) { other.handle_ = 0; }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG Open(RegHandle parent, std::wstring_view path, REGSAM access);
    // The same without following a symbolic link (OpenKeyNoLink).
    LONG OpenNoLink(RegHandle parent, std::wstring_view path, REGSAM access);
    LONG Create(RegHandle parent, std::wstring_view path, REGSAM access, DWORD* disposition = nullptr);
    void Close();

    bool Valid() const { return handle_ != 0; }
    RegHandle Handle() const { return handle_; }
    RegistryApi& Api() const { return *api_; }

    LONG QueryValue(std::wstring_view name, DWORD* type, BYTE* data, DWORD* size) const {
        return api_->QueryValue(handle_, name, type, data, size);
    }
    LONG SetValue(std::wstring_view name, DWORD type, const BYTE* data, DWORD size) const {
        return api_->SetValue(handle_, name, type, data, size);
    }
    LONG SetString(std::wstring_view name, std::wstring_view text) const;
    LONG SetDword(std::wstring_view name, DWORD value) const;
    LONG DeleteValue(std::wstring_view name) const { return api_->DeleteValue(handle_, name); }
    LONG QueryInfo(RegKeyInfo* info) const { return api_->QueryInfoKey(handle_, info); }

private:
    RegistryApi* api_;
    RegHandle handle_ = 0;
};

// Walks the subkey names of an open key, index 0 upward.
class RegistryKeyIterator {
public:
    RegistryKeyIterator(RegistryApi& api, RegHandle key, DWORD capacity = 260)
        : api_(api), key_(key), capacity_(capacity) {}
    // Reads the next name; false at the end or on an error (see Result()).
    bool Next();
    const std::wstring& Name() const { return name_; }
    DWORD Index() const { return index_ - 1; }
    // ERROR_NO_MORE_ITEMS after a normal end, the failing code otherwise.
    LONG Result() const { return result_; }

private:
    RegistryApi& api_;
    RegHandle key_;
    DWORD capacity_;
    DWORD index_ = 0;
    LONG result_ = 0;
    std::wstring name_;
};

// Little-endian helpers for registry data.
DWORD ReadDwordLe(const BYTE* data);
void WriteDwordLe(BYTE* data, DWORD value);

} // namespace tarvane
