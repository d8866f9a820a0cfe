// Small wrappers over common controls: an HWND and the messages it understands.
#pragma once

#include "platform/win_types.h"

#include <commctrl.h>

#include <string>

namespace tarvane::win {

// The control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, HWND control);

// A system icon (IDI_...) at the small-icon size, shared.
HICON LoadSmallSystemIcon(LPCWSTR id);

// Draws `icon` at the small-icon size, centred across the top of control
// `placeId` of `dialog`; nothing without an icon.
void DrawSmallIconOnTop(HWND dialog, HDC dc, int placeId, HICON icon);

// The grey of a dialog's notes, for WM_CTLCOLORSTATIC: sets up `dc` and
// gives the brush to return.
LRESULT NoteColors(HDC dc);

class ComboBox {
public:
    ComboBox() = default;
    explicit ComboBox(HWND hwnd) : hwnd_(hwnd) {}
    HWND Hwnd() const { return hwnd_; }

    void Reset() const { ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
    int Count() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    // Appends an item with its data; the item's index, or a negative value.
    int AddItem(const std::wstring& text, LPARAM data) const;
    // Inserts an item at `index` (-1 appends); the item's index, or a negative value.
    int InsertItem(int index, const std::wstring& text) const;
    bool SetItemData(int index, LPARAM data) const {
        return ::SendMessageW(hwnd_, CB_SETITEMDATA, static_cast<WPARAM>(index), data) != CB_ERR;
    }
    LPARAM ItemData(int index) const {
        return static_cast<LPARAM>(::SendMessageW(hwnd_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    }
    bool DeleteItem(int index) const {
        return ::SendMessageW(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index), 0) != CB_ERR;
    }
    int Selection() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    void Select(int index) const { ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    // The index of the first item whose data is `data`, or -1.
    int FindData(LPARAM data) const;
    // Selects the first item whose data is `data`; no item has it: no selection.
    void SelectData(LPARAM data) const { Select(FindData(data)); }
    // The chosen item's data, or `none` when nothing is chosen.
    LPARAM SelectedData(LPARAM none = -1) const;
    bool IsDroppedDown() const { return ::SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

private:
    HWND hwnd_ = nullptr;
};

class DateTimePicker {
public:
    DateTimePicker() = default;
    explicit DateTimePicker(HWND hwnd) : hwnd_(hwnd) {}
    HWND Hwnd() const { return hwnd_; }

    // A display format, or null for the control's normal one.
    void SetFormat(const wchar_t* format) const {
        ::SendMessageW(hwnd_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
    }
    bool SetTime(const SYSTEMTIME& time) const {
        return ::SendMessageW(hwnd_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != FALSE;
    }
    // False when the picker holds no valid value.
    bool GetTime(SYSTEMTIME* time) const {
        return ::SendMessageW(hwnd_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)) == GDT_VALID;
    }
    // Some implementations keep the calendar window while it is closed: only a
    // visible calendar is open.
    bool IsCalendarOpen() const {
        HWND calendar = reinterpret_cast<HWND>(::SendMessageW(hwnd_, DTM_GETMONTHCAL, 0, 0));
        return calendar != nullptr && ::IsWindowVisible(calendar);
    }

private:
    HWND hwnd_ = nullptr;
};

} // namespace tarvane::win
