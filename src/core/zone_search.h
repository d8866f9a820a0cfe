// Finding a zone by what the user types: any word of its display name or key.
#pragma once

#include <string_view>

namespace tarvane {

// True when `typed` stands in `text` at the start of a word, without regard
// to case: "tok" and "sapporo, t" both find "(UTC+09:00) Osaka, Sapporo,
// Tokyo". A word starts where a letter or digit follows anything else.
bool MatchesAtWordStart(std::wstring_view text, std::wstring_view typed);

} // namespace tarvane
