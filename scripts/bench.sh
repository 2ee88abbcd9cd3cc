#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a release with the benchmarks and runs them all on a private X server, then prints
# one table of figures against the goals, and draws docs/soak.png from a three-hour race run
# at thirty times real time (six minutes). Never part of the test suite's pass or fail.
# Usage: scripts/bench.sh [seconds for each end-to-end run, default 30] [soak speed, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
soak_speed=${2:-30}
scripts/install-deps.sh
for package in libbenchmark-dev python3 gnuplot-nox; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "$package" >/dev/null
    fi
done
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTRELO_BENCH=ON \
    -DOSTRELO_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target bench_frame bench_acquisition bench_display \
    bench_bare_window ostrelo ostrelo-simgame

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
run() { "$@" --benchmark_min_time=1 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null; }
run build/bench/bench/bench_frame >"$out/frame.csv"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c "$(declare -f run); run build/bench/bench/bench_acquisition" >"$out/acquisition.csv"
run build/bench/bench/bench_display >"$out/display.csv"
x() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
x python3 bench/e2e.py build/bench "$seconds" 10 >"$out/e2e.txt"
x python3 bench/e2e.py build/bench "$seconds" 500 >"$out/e2e500.txt"
x python3 bench/startup.py build/bench >"$out/startup.txt"
x python3 bench/glance.py build/bench "$seconds" 10 >"$out/glance.txt"
x python3 bench/viewers.py build/bench "$seconds" 10 >"$out/viewers.txt"
x python3 bench/viewers.py build/bench "$seconds" 500 >"$out/viewers500.txt"
x python3 bench/soak.py build/bench 180 "$soak_speed" --timeline "$out/soak.csv" \
    --plot docs/soak.png >"$out/soak.txt" || true

median() { grep "^\"$1_median\"" "$out/$2.csv" | cut -d, -f3; }
e2e() { grep "^$1 " "$out/${2:-e2e}.txt" | cut -d' ' -f2; }
acquisition=$(median Acquisition acquisition)
floor=$(median RawPreadFloor acquisition)
display=$(median DisplayPhase display)
painted=$(median PaintAtSpeed display)
paint() { median "PaintElement/$1" display; }
labels=$(median LabelTextFloor display)
frames=$(median WriteAndParseFrame frame)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
us() { awk -v a="$1" 'BEGIN { printf "%.1f", a / 1000 }'; }

per_sample=$(e2e server_cpu_us_per_sample)
floor_us=$(awk -v a="$acquisition" -v f="$frames" 'BEGIN { printf "%.1f", (a + f) / 1000 }')

echo "| Measure | Figure | Goal |"
echo "|---|---|---|"
echo "| acquisition, one sample and the standings (one batched call) | $(us "$acquisition") µs | |"
echo "| raw pread floor, the sample's 53 reads one by one | $(us "$floor") µs | |"
echo "| acquisition / floor | $(ratio "$acquisition" "$floor") | ≤ 1.5 |"
echo "| display phase, one sample drawn, median | $(us "$display") µs | < 500 µs |"
echo "| label text floor, same count | $(us "$labels") µs | |"
echo "| display phase / floor | $(ratio "$display" "$labels") | ≤ 2 |"
echo "| frame write + parse | $(us "$frames") µs | < 20 µs |"
echo "| one sample at speed drawn and painted, every value changed | $(us "$painted") µs | |"
echo "| painting the rpm bar / the speed bar / a pedal bar, inside the frame | $(us "$(paint 3)") / $(us "$(paint 4)") / $(us "$(paint 1)") µs | |"
echo "| painting a tyre's temperature / the gear | $(us "$(paint -2)") / $(us "$(paint -14)") µs | |"
echo "| 10 ms scan: server CPU, window shown | $(e2e server_cpu_percent) % of a core | ≤ 2 % |"
echo "| 10 ms scan: client CPU, window shown | $(e2e client_cpu_percent) % of a core | ≤ 1.5 % |"
echo "| 10 ms scan: server CPU per sample | $per_sample µs | |"
echo "| acquisition + frame floor per sample | $floor_us µs | |"
echo "| server CPU per sample / floor | $(ratio "$per_sample" "$floor_us") | |"
echo "| 500 ms scan: server CPU | $(e2e server_cpu_percent e2e500) % of a core | < 0.3 % |"
echo "| 500 ms scan: client CPU | $(e2e client_cpu_percent e2e500) % of a core | < 0.3 % |"
echo "| server peak memory | $(e2e server_peak_mb) MB | < 80 MB |"
echo "| client peak memory | $(e2e client_peak_mb) MB | < 80 MB |"
echo "| samples acquired by the server | $(e2e samples_acquired) | |"
echo "| frames received and displayed by the client | $(e2e frames_received_and_displayed) | every frame sent |"
echo "| latency acquisition → display, p50 | $(e2e latency_p50_ms) ms | |"
echo "| latency acquisition → display, p99 | $(e2e latency_p99_ms) ms | |"
echo "| start-up to the first painted window | $(e2e startup_ms startup) ms | |"
echo "| bare Qt window, the same | $(e2e bare_window_ms startup) ms | |"
echo "| start-up / bare window | $(e2e startup_ratio startup) | ≤ 1.5 |"
echo "| 10 ms scan, web on: server CPU, no viewer | $(e2e alone_cpu_percent glance) % of a core | |"
echo "| the same, one browser on the full page | $(e2e page_cpu_percent glance) % of a core | |"
echo "| the same, one browser on the phone dash | $(e2e dash_cpu_percent glance) % of a core | |"
echo "| the same, no viewer, the overlays shown | $(e2e overlay_cpu_percent glance) % of a core | |"
for scan in 10 500; do
    file=viewers; [ "$scan" = 500 ] && file=viewers500
    alone=$(e2e viewers_0_server_cpu_percent "$file")
    for n in 1 8 16; do
        cpu=$(e2e "viewers_${n}_server_cpu_percent" "$file")
        added=$(awk -v a="$cpu" -v b="$alone" 'BEGIN { printf "%.2f", a - b }')
        goal=""; [ "$scan" = 10 ] && [ "$n" = 8 ] && goal="≤ 1 %"
        echo "| $scan ms scan, $n viewers: server CPU added (from $alone %) | $added % of a core | $goal |"
        echo "| $scan ms scan, $n viewers: delay from the read to the browser's frame, p50 / p99 | $(e2e "viewers_${n}_latency_p50_ms" "$file") / $(e2e "viewers_${n}_latency_p99_ms" "$file") ms | p99 < 20 ms |"
    done
done
echo
echo "Soak (docs/soak.png):"
cat "$out/soak.txt"
