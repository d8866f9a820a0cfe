#!/bin/sh
# The elevated relaunch end to end, in a prefix of its own whose Time Zones key
# this user may not write: Edit Time Zone hands the edit to an elevated copy
# ("runas" starts it at once under Wine), the first window closes when the
# copy signals that it runs, and the copy opens in edit mode on the same zone.
set -u
runner=$1
program=$2
probe=$3
prefix=$4
. "$(dirname "$runner")/e2e-preamble.sh"
"$runner" "$probe" deny-write || exit 1
"$runner" "$program" &
first=$!
"$runner" "$probe" relaunch || status=1
wait "$first"
echo "first instance exit code: $?"
"$runner" "$probe" close
sleep 2
WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
exit $status
