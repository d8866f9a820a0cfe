#!/bin/sh
# The command-line forms of the built program, in a prefix of its own (a
# restore writes the prefix's registry): a backup file as the first argument
# restores it after the first paint (the message boxes answered with Enter),
# "tz" selects a zone, "e" starts in edit mode on it. Every run that got as
# far as its start action exits with 0, but for a backup that is not there:
# that is said, and the run fails.
set -u
runner=$1
program=$2
probe=$3
prefix=$4
artifacts=$5
. "$(dirname "$runner")/e2e-preamble.sh"
tokyo='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\Tokyo Standard Time'
pacific_years='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\Pacific Standard Time\Dynamic DST'
backup_unix="$prefix/drive_c/tarvane-cli.trvbkp"
backup='C:\tarvane-cli.trvbkp'

# Answers every message box of the program with Enter until the program ends.
answer_boxes() {
    app=$1
    answered=0
    quiet=0
    i=0
    while kill -0 "$app" 2>/dev/null && [ $i -lt 120 ]; do
        boxes=$(xdotool search --onlyvisible --name '^Tarvane$' 2>/dev/null)
        if [ -n "$boxes" ]; then
            for box in $boxes; do
                xdotool windowfocus "$box" 2>/dev/null
                xdotool key --window "$box" Return 2>/dev/null
            done
            answered=$((answered + 1))
            quiet=0
        else
            quiet=$((quiet + 1))
        fi
        # The confirmation and the outcome answered, and nothing more to answer.
        if [ $answered -ge 2 ] && [ $quiet -ge 3 ]; then
            "$runner" "$probe" close >/dev/null 2>&1
        fi
        sleep 1
        i=$((i + 1))
    done
}

# A clean start: no stale year left by an earlier run goes into the backup.
"$runner" reg delete "$pacific_years" /v 1999 /f >/dev/null 2>&1
"$runner" "$probe" export "$backup" || fail "no backup file"
original=$("$runner" reg query "$tokyo" /v Display | tr -d '\r' | grep Display)
"$runner" reg add "$tokyo" /v Display /t REG_SZ /d "Changed after the backup" /f >/dev/null
"$runner" reg add "$pacific_years" /v 1999 /t REG_BINARY /d 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 /f >/dev/null

"$runner" "$program" "$backup" &
app=$!
# The restore asks first: the picture shows that question once it is up.
if "$(dirname "$runner")/wait-window.sh" 60 '^Tarvane$' "$app" >/dev/null; then
    import -window root "$artifacts/command_line_restore.png"
else
    fail "no confirmation of the restore appeared"
fi
answer_boxes "$app"
wait "$app"
code=$?
[ "$code" -eq 0 ] || fail "restore run exit code $code"
restored=$("$runner" reg query "$tokyo" /v Display | tr -d '\r' | grep Display)
[ "$restored" = "$original" ] || fail "Tokyo's display name was not restored: $restored"
if "$runner" reg query "$pacific_years" /v 1999 >/dev/null 2>&1; then
    fail "the stale year 1999 is still there"
fi

"$runner" "$program" tz "Tokyo Standard Time" &
app=$!
"$runner" "$probe" expect-view || fail "tz: not in view mode"
"$runner" "$probe" expect-name "(UTC+09:00) Osaka, Sapporo, Tokyo" || fail "tz: Tokyo is not selected"
"$runner" "$probe" close
wait "$app"
code=$?
[ "$code" -eq 0 ] || fail "tz run exit code $code"

"$runner" "$program" e "Tokyo Standard Time" &
app=$!
"$runner" "$probe" expect-edit || fail "e: not in edit mode"
"$runner" "$probe" expect-name "(UTC+09:00) Osaka, Sapporo, Tokyo" || fail "e: not editing Tokyo"
"$runner" "$probe" close
wait "$app"

missing='C:\no-such-backup.trvbkp'
"$runner" "$program" "$missing" &
app=$!
if "$(dirname "$runner")/wait-window.sh" 60 '^Tarvane$' "$app" >/dev/null; then
    for box in $(xdotool search --onlyvisible --name '^Tarvane$' 2>/dev/null); do
        xdotool windowfocus "$box" 2>/dev/null
        xdotool key --window "$box" Return 2>/dev/null
    done
else
    fail "missing backup: nothing was said"
fi
"$runner" "$probe" close >/dev/null 2>&1
wait "$app"
code=$?
[ "$code" -ne 0 ] || fail "missing backup: the run exited with 0"

rm -f "$backup_unix"
WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
[ $status -eq 0 ] && echo "OK: command line forms"
exit $status
