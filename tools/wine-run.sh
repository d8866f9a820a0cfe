#!/bin/sh
# Runs a Windows program under Wine with the build folder's private prefix.
# The prefix is made on first use; concurrent callers wait for it.
set -eu
prefix="${TARVANE_WINEPREFIX:-}"
if [ -z "$prefix" ]; then
    # The program lives somewhere below the build folder; the prefix sits at its top.
    dir=$(cd "$(dirname "$1")" && pwd)
    while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    [ "$dir" = "/" ] && dir=$(pwd)
    prefix="$dir/wineprefix"
fi
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
. "$(dirname "$0")/wine-tools.sh"
wine=$TARVANE_WINE
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$wine" wineboot --init >/dev/null 2>&1 || true
            "$TARVANE_WINESERVER" -w || true
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
