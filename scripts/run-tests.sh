#!/usr/bin/env bash
# Builds and runs every test twice: a normal build (with the check of the
# Debian package), then one with AddressSanitizer and
# UndefinedBehaviorSanitizer, so memory faults fail; then fuzzes the reply
# path for half a minute. About 5 minutes on 2 cores. Stops at the first
# failure; otherwise its last line says what passed.
set -euo pipefail
cd "$(dirname "$0")/.."

test_count() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }

scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 300
scripts/check-package.sh build

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scripts/build.sh build-asan -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure --timeout 600

# The reply path under libFuzzer for a bounded time (clang build). Its
# progress lines go to a log; a finding is shown and its input kept.
scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
mkdir -p build-fuzz/corpus
cp fuzz/corpus/* build-fuzz/corpus/
fuzz_seconds=30
fuzz_log=build-fuzz/fuzz.log
if ! QT_QPA_PLATFORM=offscreen build-fuzz/fuzz/fuzz_reply -max_total_time=$fuzz_seconds \
     -max_len=4096 -artifact_prefix=build-fuzz/ build-fuzz/corpus >"$fuzz_log" 2>&1; then
  tail -n 40 "$fuzz_log" >&2
  echo "run-tests: the fuzzer found a fault (whole log: $fuzz_log; input: build-fuzz/crash-*)" >&2
  exit 1
fi
fuzz_runs="$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$fuzz_log" | tail -n 1)"

echo "run-tests passed: $(test_count build) tests of the normal build, the package check," \
     "$(test_count build-asan) tests under the sanitizers, ${fuzz_seconds} s of fuzzing" \
     "(${fuzz_runs:-?} inputs, no fault)"
