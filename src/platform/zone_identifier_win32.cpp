#include "platform/zone_identifier.h"

#include "platform/last_error.h"
#include "platform/text.h"

#include <cstring>
#include <string>
#include <vector>

namespace tarvane {
namespace {

constexpr ULONG kFileStreamInformation = 22;
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr std::size_t kPathLimit = 1040;
constexpr DWORD kNameLimitBytes = 2080;
constexpr DWORD kInsufficientBuffer = 0x8007007A;

struct IoStatusBlock {
    union {
        LONG Status;
        void* Pointer;
    };
    ULONG_PTR Information;
};

using NtQueryInformationFileFn = LONG(WINAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, ULONG);

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) {
            return true;
        }
        const bool closed = ::CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

int Finish(DWORD* error, DWORD code, int result) {
    *error = code;
    SetThreadLastError(code);
    return result;
}

} // namespace

int RemoveZoneIdentifier(DWORD* error) {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll == nullptr ? nullptr
                                  : reinterpret_cast<NtQueryInformationFileFn>(reinterpret_cast<void*>(
                                        ::GetProcAddress(ntdll, "NtQueryInformationFile")));
    if (query == nullptr) {
        return Finish(error, ERROR_NOT_SUPPORTED, -2);
    }
    wchar_t pathBuffer[kPathLimit + 1] = {};
    const DWORD pathLength = ::GetModuleFileNameW(nullptr, pathBuffer, kPathLimit);
    const std::wstring path(pathBuffer, pathLength);
    std::vector<BYTE> buffer;
    {
        FileHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file.Valid()) {
            return Finish(error, ::GetLastError(), -3);
        }
        std::size_t size = 4096;
        for (;;) {
            try {
                buffer.assign(size, 0);
            } catch (...) {
                return Finish(error, ERROR_NOT_ENOUGH_MEMORY, -4);
            }
            IoStatusBlock status{};
            const LONG result = query(file.Get(), &status, buffer.data(), static_cast<ULONG>(buffer.size()),
                                      kFileStreamInformation);
            if (result != kStatusBufferOverflow && result != kStatusInfoLengthMismatch) {
                break;
            }
            size += 4096;
        }
    }
    // Entries: next-entry offset, name length in bytes, stream size,
    // allocation size, the name.
    constexpr std::size_t kHeader = 4 + 4 + 8 + 8;
    int result = 0;
    DWORD code = 0;
    std::size_t offset = 0;
    while (offset + kHeader <= buffer.size()) {
        DWORD next = 0;
        DWORD nameBytes = 0;
        std::memcpy(&next, buffer.data() + offset, 4);
        std::memcpy(&nameBytes, buffer.data() + offset + 4, 4);
        if (nameBytes >= kNameLimitBytes || offset + kHeader + nameBytes > buffer.size()) {
            code = ERROR_INVALID_DATA;
            result = -5;
        } else {
            std::wstring name = FromUtf16Le(buffer.data() + offset + kHeader, nameBytes / 2);
            const std::size_t data = name.find(L":$DATA");
            if (data != std::wstring::npos) {
                name.resize(data);
            }
            if (EqualNoCase(name, L":Zone.Identifier")) {
                result = 1;
                const std::wstring stream = path + name;
                if (stream.size() >= kPathLimit) {
                    return Finish(error, kInsufficientBuffer, -6);
                }
                HANDLE handle =
                    ::CreateFileW(stream.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
                if (handle == INVALID_HANDLE_VALUE) {
                    return Finish(error, ::GetLastError(), -7);
                }
                if (!::CloseHandle(handle)) {
                    return Finish(error, ::GetLastError(), -8);
                }
            }
        }
        if (next == 0) {
            break;
        }
        offset += next;
    }
    return Finish(error, code, result);
}

} // namespace tarvane
