# The start every end-to-end script shares, sourced once the script has read
# its arguments: `runner` (tools/wine-run.sh), and `prefix` and `artifacts`
# when it has them. Without a display the test is skipped (exit 77); the
# clock is Los Angeles'; the Wine tools and the window waiter are named; a
# prefix of its own is the one every run uses; failures are counted in
# `status` by `fail`.
e2e_tools=$(dirname "$runner")
. "$e2e_tools/wine-tools.sh"
wait_window="$e2e_tools/wait-window.sh"
if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY: skipped"
    exit 77
fi
export TZ=America/Los_Angeles
if [ -n "${prefix:-}" ]; then
    export TARVANE_WINEPREFIX="$prefix"
fi
if [ -n "${artifacts:-}" ]; then
    mkdir -p "$artifacts"
fi
status=0
fail() { echo "FAIL: $*"; status=1; }
