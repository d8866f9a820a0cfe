#!/bin/sh
# Drives the built program from outside with real keyboard input: Alt and the
# letter of each menu opens that menu, in view mode and in edit mode (no label
# of the window takes a menu's letter); Ctrl+Enter enters edit mode, Esc
# leaves it. Saves a screenshot of edit mode.
set -u
runner=$1
program=$2
probe=$3
artifacts=$4
. "$(dirname "$runner")/e2e-preamble.sh"
"$runner" "$program" &
app=$!

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null; }

# Presses an Alt chord and prints the left edge of the popup menu it opened (a
# visible window that was not there before); fails when none opened. Esc
# closes the popup, a second Esc leaves the menu bar.
menu_left() {
    before=$(visible_windows)
    xdotool key --window "$window" "$1"
    i=0
    while [ $i -lt 50 ]; do
        popup=$(visible_windows | grep -vxF "$before" | head -n 1)
        if [ -n "$popup" ]; then
            eval "$(xdotool getwindowgeometry --shell "$popup")"
            xdotool key --window "$window" Escape
            xdotool key --window "$window" Escape
            j=0
            while visible_windows | grep -qxF "$popup" && [ $j -lt 50 ]; do
                sleep 0.1
                j=$((j + 1))
            done
            echo "$X"
            return 0
        fi
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

# File, Edit, View, Tools and Help open from their keys, left to right.
check_menu_keys() {
    last=-1
    for chord in alt+f alt+e alt+v alt+t alt+h; do
        if ! left=$(menu_left "$chord"); then
            echo "FAIL: $1: $chord opened no menu"
            status=1
        elif [ "$left" -le "$last" ]; then
            echo "FAIL: $1: $chord opened a menu at x=$left, not right of the one before (x=$last)"
            status=1
        else
            echo "OK: $1: $chord opens its menu (x=$left)"
            last=$left
        fi
    done
}

"$runner" "$probe" check || status=1
if ! window=$("$wait_window" 60 '^Tarvane' "$app"); then
    echo "FAIL: xdotool does not see the window"
    status=1
else
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    check_menu_keys "view mode"
    "$runner" "$probe" expect-view || status=1
    xdotool key --window "$window" ctrl+Return
    "$runner" "$probe" expect-edit || status=1
    check_menu_keys "edit mode"
    "$runner" "$probe" expect-edit || status=1
    "$wait_window" 10 '^Tarvane' "$app" >/dev/null
    import -window root "$artifacts/edit_mode.png" && echo "screenshot: $artifacts/edit_mode.png"
    xdotool key --window "$window" Escape
    "$runner" "$probe" expect-view || status=1
fi
"$runner" "$probe" close
i=0
while kill -0 "$app" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if kill -0 "$app" 2>/dev/null; then
    kill "$app"
    echo "FAIL: the program did not close"
    status=1
fi
exit $status
