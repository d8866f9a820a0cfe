#include "backup/private_copy.h"

#include "platform/diagnostic_log.h"
#include "platform/last_error.h"
#include "platform/paths.h"

#include <algorithm>

namespace tarvane {
namespace {

constexpr wchar_t kCopyName[] = L"backup.reg";
constexpr wchar_t kStateName[] = L"before-restore.trvbkp";
constexpr DWORD kWriteFault = 29; // ERROR_WRITE_FAULT: a write that stopped short without a code

} // namespace

PrivateCopy::~PrivateCopy() {
    Remove();
}

DWORD PrivateCopy::Write(const std::vector<BYTE>& bytes, const std::wstring& source) {
    return WriteFile(kCopyName, bytes, source, &path_);
}

DWORD PrivateCopy::WriteState(const std::vector<BYTE>& bytes, const std::wstring& source) {
    return WriteFile(kStateName, bytes, source, &statePath_);
}

DWORD PrivateCopy::WriteFile(const wchar_t* name, const std::vector<BYTE>& bytes, const std::wstring& source,
                             std::wstring* madePath) {
    if (folder_.empty() && !files_.CreatePrivateFolder(&folder_)) {
        const DWORD error = GetThreadLastError();
        folder_.clear();
        LogMessage(L"[220] path=\"%s\"", source);
        return error;
    }
    const std::wstring path = WithTrailingSeparator(folder_) + name;
    const FileHolder file(files_, files_.CreateNew(path));
    if (file.Get() == 0) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[221] copy=\"%s\", path=\"%s\"", path, source);
        return error;
    }
    *madePath = path;
    // One write; what does not fit a DWORD shows as a short write.
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 0xFFFFFFFFu));
    DWORD written = 0;
    if (!files_.Write(file.Get(), bytes.data(), size, &written)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[222] copy=\"%s\", ln=%u", path, size);
        return error;
    }
    if (written != bytes.size()) {
        // Whatever the system said, a copy cut short must not be imported.
        const DWORD error = GetThreadLastError() != 0 ? GetThreadLastError() : kWriteFault;
        SetThreadLastError(error);
        LogMessage(L"[223] sz1=%u, sz2=%u, copy=\"%s\"", written, size, path);
        return error;
    }
    return 0;
}

void PrivateCopy::Remove() {
    const LastErrorKeeper keep;
    for (std::wstring* path : {&path_, &statePath_}) {
        if (path->empty() || (path == &statePath_ && keepState_)) {
            continue;
        }
        if (!files_.RemoveFile(*path)) {
            LogMessage(L"[224] copy=\"%s\"", *path);
        }
        path->clear();
    }
    if (!folder_.empty() && !(keepState_ && !statePath_.empty())) {
        if (!files_.RemoveFolder(folder_)) {
            LogMessage(L"[225] folder=\"%s\"", folder_);
        }
        folder_.clear();
    }
}

} // namespace tarvane
