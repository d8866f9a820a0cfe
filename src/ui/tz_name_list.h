// A search box over a list box of the tz database's IANA zones: the list
// holds the names that match what is typed, and the arrow and page keys in
// the box move through it. New Time Zone and Choose IANA Zone share it.
#pragma once

#include "platform/win_types.h"
#include "tzdb/tz_table.h"

#include <string>
#include <string_view>

namespace tarvane::ui {

// Whether an IANA name is one the user is looking for: `search` appears in it
// without regard to case, a space standing for an underscore.
bool TzNameMatches(std::wstring_view name, std::wstring_view search);

class TzNameList {
public:
    void Attach(HWND search, HWND list, const TzTable* table);

    // Fills the list with the names that match the search box. The name
    // chosen in the list stays chosen while it matches; with none chosen,
    // `fallback` is; else what is typed picks the first match.
    void ShowMatches(const std::wstring& fallback);
    // The name chosen in the list; empty when none is.
    std::wstring Chosen() const;
    // An arrow or page key pressed in the search box goes to the list; true
    // when `message` was one.
    bool ForwardKey(const MSG& message) const;

private:
    HWND search_ = nullptr;
    HWND list_ = nullptr;
    const TzTable* table_ = nullptr;
};

} // namespace tarvane::ui
