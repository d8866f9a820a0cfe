#!/bin/sh
# New Time Zone and Delete Time Zone end to end, in a prefix of its own (they
# write the prefix's registry): the built program, driven with real keys,
# makes a zone from an IANA zone of the tz database for years across a change
# of its rules; Save Changes creates its key with its Dynamic DST years, which
# reg.exe reads back, and the list shows it selected. Delete Time
# Zone removes it again with its Dynamic DST key, and the program's restore of
# a backup made before brings it back. Saves screenshots of the New Time Zone
# dialog and of the deletion's confirmation.
set -u
runner=$1
program=$2
probe=$3
prefix=$4
artifacts=$5
. "$(dirname "$runner")/e2e-preamble.sh"
key='Tarvane Test Standard Time'
display='(UTC-08:00) Tarvane Test Standard Time'
zone="HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\$key"
backup_unix="$prefix/drive_c/tarvane-new-zone.trvbkp"
backup='C:\tarvane-new-zone.trvbkp'

value() { "$runner" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep "$2"; }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
# Chooses the item with the key $1 from the main window's Edit menu.
edit_menu() {
    focus "$window"
    xdotool key --window "$window" alt+e
    sleep 1
    xdotool key "$1"
}

# A clean start: a zone left by an earlier run goes.
"$runner" reg delete "$zone" /f >/dev/null 2>&1
rm -f "$backup_unix"

"$runner" "$program" &
app=$!
if ! window=$("$wait_window" 90 '^Tarvane' "$app"); then
    fail "the main window did not appear"
else
    # Edit > New Time Zone...; the key, the tz database's start, a search.
    edit_menu n
    if ! dialog=$("$wait_window" 30 '^New Time Zone$' "$app"); then
        fail "Edit > New Time Zone did not open its dialog"
    else
        focus "$dialog"
        xdotool type --delay 20 "$key"
        xdotool key alt+t alt+s
        xdotool type --delay 20 'los ang'
        xdotool key alt+f End BackSpace BackSpace BackSpace BackSpace
        xdotool type --delay 20 2006
        xdotool key alt+o End BackSpace BackSpace BackSpace BackSpace
        xdotool type --delay 20 2008
        sleep 1
        import -window root "$artifacts/new_zone_dialog.png" && echo "screenshot: $artifacts/new_zone_dialog.png"
        xdotool key Return
        "$runner" "$probe" expect-edit || fail "the new zone is not edited"
        "$runner" "$probe" expect-name "$display" || fail "the new zone is not the one edited"
        [ -z "$(value "$zone" Display)" ] || fail "the key exists before Save Changes"
        focus "$window"
        xdotool key --window "$window" Return
        "$runner" "$probe" expect-view || fail "Save Changes did not end edit mode"
        shown=$(value "$zone" Display)
        echo "reg query: $shown"
        echo "$shown" | grep -qF "$display" || fail "reg query does not read the new zone's Display"
        value "$zone" TZI | grep -q REG_BINARY || fail "reg query reads no TZI"
        years=$(value "$zone\\Dynamic DST" FirstEntry; value "$zone\\Dynamic DST" LastEntry)
        echo "reg query: $years"
        echo "$years" | grep -q 'FirstEntry.*0x7d6' || fail "the Dynamic DST years do not start with 2006"
        echo "$years" | grep -q 'LastEntry.*0x7d7' || fail "the Dynamic DST years do not end with 2007"
        "$runner" "$probe" expect-row "$display" || fail "the list does not show the new zone"
        "$runner" "$probe" export "$backup" || fail "no backup file"

        # Edit > Delete Time Zone...: no backup was made in the program, so
        # it offers one; No deletes without it.
        edit_menu d
        if ! box=$("$wait_window" 30 '^Tarvane$' "$app"); then
            fail "Delete Time Zone asked nothing"
        else
            import -window root "$artifacts/delete_zone_confirmation.png" &&
                echo "screenshot: $artifacts/delete_zone_confirmation.png"
            focus "$box"
            xdotool key n
        fi
        i=0
        while [ -n "$(value "$zone" Display)" ] && [ $i -lt 50 ]; do sleep 0.2; i=$((i + 1)); done
        [ -z "$(value "$zone" Display)" ] || fail "the zone's key is still there"
        if "$runner" reg query "$zone\\Dynamic DST" >/dev/null 2>&1; then
            fail "its Dynamic DST key is still there"
        fi
    fi
fi
"$runner" "$probe" close
i=0
while kill -0 "$app" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
kill -0 "$app" 2>/dev/null && kill "$app"

if [ -f "$backup_unix" ]; then
    # The program's own restore of the backup made before: its question and
    # its outcome are answered with Enter.
    "$runner" "$program" "$backup" &
    app=$!
    for step in question outcome; do
        if box=$("$wait_window" 60 '^Tarvane$' "$app"); then
            focus "$box"
            xdotool key --window "$box" Return
            i=0
            while xdotool search --onlyvisible --name '^Tarvane$' 2>/dev/null | grep -qx "$box" &&
                [ $i -lt 50 ]; do
                sleep 0.2
                i=$((i + 1))
            done
        else
            fail "the restore showed no $step"
        fi
    done
    "$runner" "$probe" close >/dev/null 2>&1
    wait "$app"
    value "$zone" Display | grep -qF "$display" || fail "the restore did not bring the zone back"
    value "$zone\\Dynamic DST" FirstEntry | grep -q 0x7d6 || fail "the backup did not bring its years back"
fi
"$runner" reg delete "$zone" /f >/dev/null 2>&1
rm -f "$backup_unix"
WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
[ $status -eq 0 ] && echo "OK: new and deleted zones end to end"
exit $status
