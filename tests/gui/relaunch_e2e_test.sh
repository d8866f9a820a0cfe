#!/bin/sh
# The elevated relaunch end to end, in a prefix of its own whose Time Zones key
# this user may not write: Edit Time Zone hands the edit to an elevated copy
# ("runas" starts it at once under Wine), the first window closes when the
# copy signals that it runs, and the copy opens in edit mode on the same zone.
set -u
runner=$1
. "$(dirname "$runner")/wine-tools.sh"
program=$2
probe=$3
prefix=$4
if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY: skipped"
    exit 77
fi
export TZ=America/Los_Angeles
export TARVANE_WINEPREFIX="$prefix"
"$runner" "$probe" deny-write || exit 1
"$runner" "$program" &
first=$!
status=0
"$runner" "$probe" relaunch || status=1
wait "$first"
echo "first instance exit code: $?"
"$runner" "$probe" close
sleep 2
WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
exit $status
