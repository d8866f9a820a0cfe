#!/bin/sh
# Drives the built program from outside with real keyboard input: Ctrl+Enter
# enters edit mode, Esc leaves it. Saves a screenshot of edit mode.
set -u
runner=$1
program=$2
probe=$3
artifacts=$4
if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY: skipped"
    exit 77
fi
mkdir -p "$artifacts"
export TZ=America/Los_Angeles
"$runner" "$program" &
app=$!
status=0
"$runner" "$probe" check || status=1
window=$(xdotool search --name '^Tarvane' | head -n 1)
if [ -z "$window" ]; then
    echo "FAIL: xdotool does not see the window"
    status=1
else
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.5
    xdotool key --window "$window" ctrl+Return
    "$runner" "$probe" expect-edit || status=1
    sleep 0.5
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
