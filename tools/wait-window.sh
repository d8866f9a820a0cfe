#!/bin/sh
# Waits until a visible window whose title matches PATTERN (a regular
# expression, as xdotool takes it) is on the display and drawn, and prints its
# X window id.
#   wait-window.sh SECONDS PATTERN [PID]
# Exits 1 when no such window came within SECONDS, or as soon as process PID
# (the program expected to show it) has ended. Needs DISPLAY, xdotool and
# ImageMagick.
set -u
seconds=$1
pattern=$2
pid=${3:-}
deadline=$(($(date +%s) + seconds))

alive() { [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null; }

# Mapped is not yet painted: a window counts as drawn once its picture holds
# more than a handful of colours (a freshly mapped one is a single fill) and
# has stopped changing from one look to the next.
previous=""
drawn() {
    geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
    eval "$geometry"
    look=$(import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -format '%k %#' info: 2>/dev/null)
    settled=1
    [ "$look" = "$previous" ] || settled=0
    previous=$look
    [ $settled -eq 1 ] && [ "${look%% *}" -gt 8 ]
}

while alive && [ "$(date +%s)" -lt "$deadline" ]; do
    for window in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
        if drawn "$window"; then
            echo "$window"
            exit 0
        fi
    done
    sleep 0.2
done
exit 1
