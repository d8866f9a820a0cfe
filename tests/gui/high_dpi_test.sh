#!/bin/sh
# Runs the GUI tests named after the prefix in a prefix of their own whose
# display is set to 144 dots per inch before the tests start.
#   high_dpi_test.sh WINE_RUN TESTS PREFIX [test arguments...]
set -eu
wine_run=$1
tests=$2
prefix=$3
shift 3
export TARVANE_WINEPREFIX="$prefix"
export WINEPREFIX="$prefix"
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
sh "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
# The setting is read when the display driver starts: a fresh server.
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w || true
sh "$wine_run" "$tests" "$@"
