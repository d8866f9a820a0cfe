#!/bin/sh
# The portable zip: it holds the program, tarvanec.exe, README.txt and CHANGES.txt with
# Windows line ends, and its program, unpacked into a folder of its own and
# started from another working folder, runs and lists the zones.
set -u
runner=$1
zip=$2
window_probe=$3
folder=$4
artifacts=$5
. "$(dirname "$runner")/e2e-preamble.sh"
. "$(dirname "$0")/run_program.sh"

unpacked="$folder/Portable Tarvane"
rm -rf "$folder"
mkdir -p "$unpacked" "$artifacts"
(cd "$unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
listing=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
[ "$listing" = "./CHANGES.txt ./README.txt ./tarvane.exe ./tarvanec.exe " ] || fail "the zip holds: $listing"
for text in README.txt CHANGES.txt; do
    lines=$(grep -c . "$unpacked/$text")
    crlf=$(grep -c "$(printf '\r')\$" "$unpacked/$text")
    [ "$lines" -gt 0 ] && [ "$lines" -le "$crlf" ] || fail "$text does not end its lines with CR LF"
done

cd /
run_program "$runner" "$window_probe" "$unpacked/tarvane.exe" "$artifacts/zip_program.png"
"$runner" "$unpacked/tarvanec.exe" list >/dev/null || fail "the zip's tarvanec does not list the zones"
[ $status -eq 0 ] && echo "OK: the zip's program runs from its own folder"
exit $status
