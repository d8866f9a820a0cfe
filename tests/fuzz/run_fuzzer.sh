#!/bin/sh
# Runs one fuzz target for TARVANE_FUZZ_SECONDS (15 unless set): the seeds and
# regression cases (read only) and the corpus it grows in <work>/corpus; a
# crash's input lands in <work>/artifacts. Prints libFuzzer's final figures.
#   run_fuzzer.sh <fuzz program> <work folder> <input folder>...
set -eu
program=$1
work=$2
shift 2
seconds=${TARVANE_FUZZ_SECONDS:-15}
mkdir -p "$work/corpus" "$work/artifacts"
# A small quarantine keeps freed memory warm: the targets allocate much per
# input, and the default 256 MB of fresh pages halves the rate.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16"
# The first folder is the one libFuzzer adds new inputs to.
"$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$@" 2>"$work/log.txt" || status=$?
grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log.txt" || true
if [ "${status:-0}" -ne 0 ]; then
    tail -n 60 "$work/log.txt"
    echo "fuzz target failed; its input is in $work/artifacts" >&2
    exit 1
fi
