#!/usr/bin/env bash
# Builds the benchmarks (release build in build-bench/) and prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=ON
failed=()
for b in bench_ini bench_startup bench_pages bench_link bench_runs bench_flood; do
  echo "== $b"
  "build-bench/bench/$b" || failed+=("$b")
done
# velmora-cli against the simulator paced at 9600 baud, and its memory.
bench/bench_cli.sh build-bench
# The same read through a USB adapter's latency timer: 16 ms against 1 ms.
bench/bench_latency.sh build-bench
# The window's turnaround beside velmora-cli's: offscreen, then on a real X
# server (Xvfb) where painting costs what it costs on a desktop.
echo "== bench_turnaround (offscreen)"
build-bench/bench/bench_turnaround || failed+=("bench_turnaround")
if command -v xvfb-run >/dev/null; then
  echo "== bench_turnaround (Xvfb)"
  xvfb-run -a env QT_QPA_PLATFORM=xcb build-bench/bench/bench_turnaround || failed+=("bench_turnaround xcb")
else
  echo "== bench_turnaround (Xvfb): skipped, xvfb-run is not installed"
fi
if [ "${#failed[@]}" -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
