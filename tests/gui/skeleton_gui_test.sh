#!/bin/sh
# Starts the program under Wine on the test display, checks its window from
# outside and saves a screenshot.
set -u
runner=$1
program=$2
probe=$3
artifacts=$4
. "$(dirname "$runner")/e2e-preamble.sh"
"$runner" "$program" &
app=$!
"$runner" "$probe" check
status=$?
if command -v import >/dev/null 2>&1; then
    import -window root "$artifacts/skeleton.png" && echo "screenshot: $artifacts/skeleton.png"
fi
"$runner" "$probe" close
i=0
while kill -0 "$app" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if kill -0 "$app" 2>/dev/null; then
    kill "$app"
    echo "FAIL: the program did not close"
    status=1
else
    wait "$app"
    code=$?
    # The start-up action ran after the first paint, so the exit code is 0.
    if [ "$code" -ne 0 ]; then
        echo "FAIL: exit code $code, expected 0"
        status=1
    fi
fi
exit $status
