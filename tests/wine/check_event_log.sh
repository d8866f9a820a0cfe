#!/bin/sh
# Runs the log probe with Wine's eventlog channel on and finds its line,
# which carries the project's version.
set -u
runner=$1
probe=$2
version=$(printf '%s' "$3" | sed 's/\./\\./g')
out=$(WINEDEBUG=-all,err+eventlog "$runner" "$probe" 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || { echo "probe failed with $status"; exit 1; }
pattern='err:eventlog:ReportEventW L"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\.[0-9]\{3\} {'"$version"'|x64} (5) \[999\] probe=\\"event log\\", n=-7"'
if echo "$out" | grep -q "$pattern"; then
    echo "event log line found"
    exit 0
fi
echo "event log line not found"
exit 1
