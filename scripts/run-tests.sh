#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then one with
# AddressSanitizer and UndefinedBehaviorSanitizer, so memory faults fail.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 300

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scripts/build.sh build-asan -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure --timeout 600
