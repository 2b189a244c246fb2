#!/usr/bin/env bash
# Builds the benchmarks (release build in build-bench/) and prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF
for b in build-bench/bench/bench_ini build-bench/bench/bench_startup build-bench/bench/bench_pages build-bench/bench/bench_link build-bench/bench/bench_runs; do
  if [ -x "$b" ]; then "$b"; fi
done
# velmora-cli against the simulator paced at 9600 baud, and its memory.
bench/bench_cli.sh build-bench
