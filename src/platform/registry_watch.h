// The registry watch seam: tells the program that keys below
// HKEY_LOCAL_MACHINE changed, whoever changed them. It needs no thread: the
// program asks it, and the answer is a wait with no time-out, not a registry
// call. Two implementations: the real registry's notifications (Windows) and
// one that tests trigger.
#pragma once

#include "platform/win_types.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvane {

class RegistryWatch {
public:
    virtual ~RegistryWatch() = default;
    // Watches from now on: a change seen so far is forgotten. 0, or the
    // Windows error of a key that cannot be watched (the others still are).
    virtual LONG Arm() = 0;
    // A watched key, or a key or value below it, changed since the last Arm.
    virtual bool Changed() = 0;
};

// Watches these keys of HKEY_LOCAL_MACHINE with their subtrees (Windows only).
std::unique_ptr<RegistryWatch> MakeSystemRegistryWatch(const std::vector<std::wstring>& paths);

// A watch that sees a change when a test says so.
class MemoryRegistryWatch : public RegistryWatch {
public:
    LONG Arm() override {
        ++arms;
        changed = false;
        return armError;
    }
    bool Changed() override {
        ++polls;
        return changed;
    }
    void Signal() { changed = true; }

    bool changed = false;
    LONG armError = 0; // what Arm returns
    int arms = 0;
    int polls = 0;
};

} // namespace tarvane
