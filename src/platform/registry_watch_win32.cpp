#include "platform/registry_watch.h"

namespace tarvane {
namespace {

constexpr DWORD kNotifyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// One key and the event its change notification signals. A notification
// fires once: after a change it has to be asked for again.
class WatchedKey {
public:
    explicit WatchedKey(std::wstring path)
        : path_(std::move(path)), event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~WatchedKey() {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
        if (event_ != nullptr) {
            ::CloseHandle(event_);
        }
    }
    WatchedKey(const WatchedKey&) = delete;
    WatchedKey& operator=(const WatchedKey&) = delete;

    LONG Arm() {
        if (event_ == nullptr) {
            return static_cast<LONG>(ERROR_INVALID_HANDLE);
        }
        // A notification asked for and not fired yet still stands.
        if (pending_ && !Signalled()) {
            return ERROR_SUCCESS;
        }
        ::ResetEvent(event_);
        pending_ = false;
        if (key_ == nullptr) {
            const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_NOTIFY, &key_);
            if (opened != ERROR_SUCCESS) {
                key_ = nullptr;
                return opened;
            }
        }
        const LONG asked = ::RegNotifyChangeKeyValue(key_, TRUE, kNotifyFilter, event_, TRUE);
        pending_ = asked == ERROR_SUCCESS;
        return asked;
    }

    bool Signalled() const { return event_ != nullptr && ::WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }
    bool Pending() const { return pending_; }

private:
    std::wstring path_;
    HANDLE event_;
    HKEY key_ = nullptr;
    bool pending_ = false;
};

class SystemRegistryWatch : public RegistryWatch {
public:
    explicit SystemRegistryWatch(const std::vector<std::wstring>& paths) {
        for (const std::wstring& path : paths) {
            keys_.push_back(std::make_unique<WatchedKey>(path));
        }
    }

    LONG Arm() override {
        LONG result = ERROR_SUCCESS;
        for (const auto& key : keys_) {
            const LONG armed = key->Arm();
            if (result == ERROR_SUCCESS) {
                result = armed;
            }
        }
        return result;
    }

    bool Changed() override {
        for (const auto& key : keys_) {
            if (key->Pending() && key->Signalled()) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<std::unique_ptr<WatchedKey>> keys_;
};

} // namespace

std::unique_ptr<RegistryWatch> MakeSystemRegistryWatch(const std::vector<std::wstring>& paths) {
    return std::make_unique<SystemRegistryWatch>(paths);
}

} // namespace tarvane
