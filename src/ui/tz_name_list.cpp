#include "ui/tz_name_list.h"

#include "platform/text.h"

#include <cwctype>

namespace tarvane::ui {
namespace {

wchar_t Folded(wchar_t ch) {
    return ch == L'_' ? L' ' : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

} // namespace

bool TzNameMatches(std::wstring_view name, std::wstring_view search) {
    if (search.size() > name.size()) {
        return false;
    }
    for (std::size_t at = 0; at + search.size() <= name.size(); ++at) {
        std::size_t i = 0;
        while (i < search.size() && Folded(name[at + i]) == Folded(search[i])) {
            ++i;
        }
        if (i == search.size()) {
            return true;
        }
    }
    return false;
}

void TzNameList::Attach(HWND search, HWND list, const TzTable* table) {
    search_ = search;
    list_ = list;
    table_ = table;
}

void TzNameList::ShowMatches(const std::wstring& fallback) {
    std::wstring chosen = Chosen();
    if (chosen.empty()) {
        chosen = fallback;
    }
    const std::wstring search = TrimWhiteSpace(WindowText(search_));
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    LRESULT keep = LB_ERR;
    if (table_ != nullptr) {
        for (const auto& [name, zone] : table_->names) {
            if (TzNameMatches(name, search)) {
                const LRESULT item =
                    ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
                if (name == chosen) {
                    keep = item;
                }
            }
        }
    }
    // What is typed picks the first match; a match chosen before stays chosen.
    if (keep == LB_ERR && (!search.empty() || chosen.empty())) {
        keep = 0;
    }
    ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(keep), 0);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

std::wstring TzNameList::Chosen() const {
    const LRESULT chosen = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (chosen == LB_ERR) {
        return std::wstring();
    }
    const LRESULT length = ::SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(chosen), 0);
    if (length == LB_ERR) {
        return std::wstring();
    }
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<std::size_t>(length));
    return name;
}

bool TzNameList::ForwardKey(const MSG& message) const {
    if (message.message != WM_KEYDOWN || message.hwnd != search_ ||
        (message.wParam != VK_UP && message.wParam != VK_DOWN && message.wParam != VK_PRIOR &&
         message.wParam != VK_NEXT)) {
        return false;
    }
    ::SendMessageW(list_, WM_KEYDOWN, message.wParam, message.lParam);
    return true;
}

} // namespace tarvane::ui
