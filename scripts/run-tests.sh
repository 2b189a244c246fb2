#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then one with
# AddressSanitizer and UndefinedBehaviorSanitizer, so memory faults fail;
# then fuzzes the reply path for half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 300
scripts/check-package.sh build

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scripts/build.sh build-asan -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure --timeout 600

# The reply path under libFuzzer for a bounded time (clang build).
scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
mkdir -p build-fuzz/corpus
cp fuzz/corpus/* build-fuzz/corpus/
QT_QPA_PLATFORM=offscreen build-fuzz/fuzz/fuzz_reply -max_total_time=30 -max_len=4096 build-fuzz/corpus
