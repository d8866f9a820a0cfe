# Sourced by the package tests. run_program RUNNER WINDOW_PROBE PROGRAM SHOT
# starts PROGRAM under Wine, has the window probe check that its main window
# lists every zone, saves a screenshot of the display to SHOT, closes the
# window and expects the exit code 0; failures go to the caller's `fail`.
run_program() {
    "$1" "$3" &
    app=$!
    "$1" "$2" check || fail "$3 does not list the zones"
    import -window root "$4" 2>/dev/null
    "$1" "$2" close
    wait "$app"
    code=$?
    [ "$code" -eq 0 ] || fail "$3 exited with $code"
}
