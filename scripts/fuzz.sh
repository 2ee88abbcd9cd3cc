#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time on its seed corpus.
# Any sanitizer report fails the run.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(stream_receiver conversions ini_reader valid_ip http_request session_reader
    session_records history_open websocket_handshake websocket_frame)

if ! command -v clang++ >/dev/null; then
    as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        clang libclang-rt-dev >/dev/null
fi
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target "${targets[@]/#/fuzz_}"

# The preset builds every sanitizer check as fatal (-fno-sanitize-recover=all); these hold the
# same at run time whatever the caller's environment says (the last setting of an option wins).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}halt_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}halt_on_error=1:print_stacktrace=1"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    # Findings land in build/fuzz/findings; the seeds in the repository stay as they are.
    mkdir -p "$work/$target" build/fuzz/findings
    status=0
    build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build/fuzz/findings/"$target"- \
        "$work/$target" fuzz/corpus/"$target" 2>"$work/$target.log" || status=$?
    # A report that did not stop the target fails the run all the same.
    if [ "$status" -ne 0 ] ||
        grep -qE 'runtime error:|ERROR: [A-Za-z]*Sanitizer' "$work/$target.log"; then
        tail -n 40 "$work/$target.log"
        echo "fuzz_$target found a failure: see build/fuzz/findings"
        exit 1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$')
    echo "fuzz_$target: $runs runs in ${seconds}s, no failure"
done
