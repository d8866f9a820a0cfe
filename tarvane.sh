#!/usr/bin/env bash
# Builds, runs and tests Tarvane on Debian 12.
#   ./tarvane.sh run     build the Windows program and start it under Wine
#   ./tarvane.sh test    build both configurations and run every test
#   ./tarvane.sh bench   build and run the benchmarks (Linux, optimised; then under Wine)
#   ./tarvane.sh fuzz [seconds]
#                        build the fuzz targets (clang, libFuzzer) and run each
#                        for that many seconds (60 unless given)
#   ./tarvane.sh package build the optimised x64 program and write
#                        dist/tarvane-<version>-x64.msi and .zip
# Each installs the Debian packages it needs first.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"

. "$root/tools/wine-tools.sh"
PACKAGES=(cmake ninja-build g++ googletest libbenchmark-dev clang-format
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 xvfb xauth imagemagick x11-apps xdotool
          util-linux wixl wixl-data msitools python3 tzdata nodejs libc-bin locales clang-14 libclang-rt-14-dev
          zlib1g-dev libz-mingw-w64-dev)

log() { printf '==> %s\n' "$*"; }

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The program's tz table is made from this machine's tzdata: the newest the
# package registry offers, not whatever the machine came with. A machine that
# cannot reach the registry keeps the tzdata it has, and says so.
upgrade_tzdata() {
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    local before
    before=$(dpkg-query -W -f='${Version}' tzdata 2>/dev/null || true)
    if "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --only-upgrade tzdata >/dev/null; then
        local after
        after=$(dpkg-query -W -f='${Version}' tzdata)
        [ "$before" = "$after" ] && log "tzdata $after is the newest" || log "tzdata upgraded from $before to $after"
    else
        log "warning: tzdata could not be upgraded; the tz table is made from tzdata $before"
    fi
}

# The Wine test of the Country or Region setting starts a prefix with a
# Canadian locale, which the system must have for Wine to take it.
make_test_locales() {
    locale -a 2>/dev/null | grep -qx 'en_CA.utf8' && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    log "making the locale en_CA.UTF-8"
    "${sudo[@]}" localedef -i en_CA -f UTF-8 en_CA.UTF-8
}

xvfb_pid=""
start_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local number=90
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    log "started Xvfb on $DISPLAY"
}

stop_everything() {
    local prefix="${TARVANE_WINEPREFIX:-$root/build/windows/wineprefix}"
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k >/dev/null 2>&1 || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" >/dev/null 2>&1 || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap stop_everything EXIT

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

run_program() {
    install_packages "${PACKAGES[@]}"
    upgrade_tzdata
    build windows
    local exe="$root/build/windows/src/shell/tarvane.exe"
    local headless=0
    [ -n "${DISPLAY:-}" ] || headless=1
    start_display
    if [ $headless -eq 0 ]; then
        log "starting Tarvane under Wine on $DISPLAY"
        "$root/tools/wine-run.sh" "$exe" "$@"
        return
    fi
    "$root/tools/wine-run.sh" "$exe" "$@" &
    local app=$!
    # A new Wine prefix is made on first use, and the program's first start in
    # it is slow: wait for the window rather than for a fixed time.
    log "no display was set: Tarvane runs on Xvfb ($DISPLAY); waiting up to 90 s for its window"
    if ! "$root/tools/wait-window.sh" 90 '^Tarvane' "$app" >/dev/null; then
        log "no Tarvane window appeared within 90 s: no screenshot taken"
        kill "$app" >/dev/null 2>&1 || true
        return 1
    fi
    mkdir -p "$root/build/windows/artifacts"
    local shot="$root/build/windows/artifacts/run.png"
    import -window root "$shot"
    log "the Tarvane window is up; screenshot saved to $shot"
    kill "$app" >/dev/null 2>&1 || true
}

run_tests() {
    install_packages "${PACKAGES[@]}"
    upgrade_tzdata
    local failed=0
    log "native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
    build native
    ctest --preset native --output-on-failure -j2 || failed=1
    log "Windows build, tests under Wine"
    make_test_locales
    build windows
    start_display
    ctest --preset windows --output-on-failure || failed=1
    log "fuzz targets (clang, libFuzzer), each for ${TARVANE_FUZZ_SECONDS:-15} s"
    run_fuzz_tests "${TARVANE_FUZZ_SECONDS:-15}" || failed=1
    log "format check"
    if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
        echo "format: 1 passed, 0 failed"
    else
        echo "format: 0 passed, 1 failed"
        failed=1
    fi
    return $failed
}

build_packages() {
    install_packages "${PACKAGES[@]}"
    upgrade_tzdata
    build release
    local version
    version=$(sed -n 's/^#define TARVANE_VERSION_TEXT "\(.*\)"$/\1/p' \
        "$root/build/release/generated/platform/product_version.h")
    mkdir -p "$root/dist"
    local package
    for package in msi zip; do
        cp "$root/build/release/dist/tarvane-$version-x64.$package" "$root/dist/"
        log "dist/tarvane-$version-x64.$package"
    done
}

# Builds the fuzz targets and runs their tests: each target's seeds and kept
# regression cases once, then the target itself for `seconds`.
run_fuzz_tests() {
    local seconds=$1
    build fuzz
    TARVANE_FUZZ_SECONDS=$seconds ctest --preset fuzz --output-on-failure -j2 --timeout $((seconds + 300))
}

run_fuzz() {
    install_packages "${PACKAGES[@]}"
    local seconds=${1:-60}
    case "$seconds" in
    '' | *[!0-9]*)
        echo "usage: $0 fuzz [seconds]" >&2
        return 2
        ;;
    esac
    local failed=0
    run_fuzz_tests "$seconds" || failed=1
    local work
    for work in "$root"/build/fuzz/tests/fuzz/*/; do
        [ -f "$work/log.txt" ] || continue
        printf '%s: %s, %s\n' "$(basename "$work")" \
            "$(grep -aE '^#[0-9]+[[:space:]]+DONE' "$work/log.txt" | tail -n 1 | tr -s ' \t' ' ')" \
            "$(grep -a '^stat::number_of_executed_units' "$work/log.txt" | tr -s ' ')"
    done
    log "new inputs: build/fuzz/tests/fuzz/<target>/corpus; a crash's input: .../<target>/artifacts"
    return $failed
}

run_bench() {
    install_packages "${PACKAGES[@]}"
    upgrade_tzdata
    log "Linux, optimised: the loader on the in-memory registry"
    # Only the benchmark program: the optimised build of the tests is not needed here.
    cmake --preset bench >/dev/null
    cmake --build --preset bench --target tarvane_bench
    "$root/build/bench/bench/tarvane_bench" "$@"
    log "Windows build under Wine: the real registry, Make Backup and tarvanec check against reg.exe, start-up against a bare dialog"
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target tarvane_wine_bench
    start_display
    "$root/tools/wine-run.sh" "$root/build/windows/bench/tarvane_wine_bench.exe"
}

case "${1:-}" in
run) shift; run_program "$@" ;;
test) shift; run_tests ;;
bench) shift; run_bench "$@" ;;
fuzz) shift; run_fuzz "$@" ;;
package) shift; build_packages ;;
*)
    echo "usage: $0 run|test|bench|fuzz|package" >&2
    exit 2
    ;;
esac
