// One owner for a system handle, in the manner of Chromium's ScopedGeneric:
// the traits say which value holds nothing and how a handle is freed. The
// holder frees its handle when it goes, and moves but never copies.
#pragma once

#include "platform/win_types.h"

#include <objbase.h>

#include <utility>

namespace tarvane::win {

template <typename T, typename Traits> class ScopedGeneric {
public:
    ScopedGeneric() = default;
    explicit ScopedGeneric(T value) : value_(value) {}
    ~ScopedGeneric() { Reset(); }
    ScopedGeneric(ScopedGeneric&& other) noexcept : value_(other.Release()) {}
    ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ScopedGeneric(const ScopedGeneric&) = delete;
    ScopedGeneric& operator=(const ScopedGeneric&) = delete;

    T Get() const { return value_; }
    bool Valid() const { return value_ != Traits::Invalid(); }
    // Frees the handle held, if any, and holds `value`.
    void Reset(T value = Traits::Invalid()) {
        if (Valid()) {
            Traits::Free(value_);
        }
        value_ = value;
    }
    // Hands the handle to the caller, who frees it.
    T Release() { return std::exchange(value_, Traits::Invalid()); }

private:
    T value_ = Traits::Invalid();
};

struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Free(HANDLE handle) { ::CloseHandle(handle); }
};
struct LocalTraits {
    static HLOCAL Invalid() { return nullptr; }
    static void Free(HLOCAL memory) { ::LocalFree(memory); }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Free(HGDIOBJ object) { ::DeleteObject(object); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Free(HMODULE module) { ::FreeLibrary(module); }
};

// A kernel object (event, process, file); none is null.
using ScopedHandle = ScopedGeneric<HANDLE, HandleTraits>;
// Memory from LocalAlloc, as security descriptors are handed out.
using ScopedLocal = ScopedGeneric<HLOCAL, LocalTraits>;
using ScopedGdiObject = ScopedGeneric<HGDIOBJ, GdiObjectTraits>;
using ScopedModule = ScopedGeneric<HMODULE, ModuleTraits>;

// COM on this thread for the life of the object, when it could be started.
class ComScope {
public:
    explicit ComScope(DWORD model) : ready_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
    ~ComScope() {
        if (ready_) {
            ::CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_;
};

} // namespace tarvane::win
