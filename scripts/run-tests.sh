#!/usr/bin/env bash
# Builds and runs every test twice: a normal build (with the check of the
# Debian package), then one with AddressSanitizer and
# UndefinedBehaviorSanitizer, so memory faults fail; then fuzzes the reply
# path for half a minute and the working file's reader and writer for 20 s. 15 to 20 minutes on 2 cores. Stops at the first
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

# The reply path, then the working file's reader and writer, under
# libFuzzer for a bounded time each (clang build). Their progress lines go
# to a log; a finding is shown and its input kept.
# Only the fuzzers and the core they link: the window and the tools are
# not fuzzed.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" --target fuzz_reply fuzz_workingfile
# fuzz TARGET SECONDS SEEDS MAXLEN: runs one target on a copy of its seed corpus.
fuzz() {
  local target=$1 seconds=$2 seeds=$3 max_len=$4 log=build-fuzz/$1.log
  mkdir -p "build-fuzz/corpus-$target"
  cp "$seeds"/* "build-fuzz/corpus-$target/"
  if ! QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/$target" -max_total_time="$seconds" \
       -max_len="$max_len" -artifact_prefix="build-fuzz/$target-" "build-fuzz/corpus-$target" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "run-tests: the fuzzer found a fault in $target (whole log: $log; input: build-fuzz/$target-crash-*)" >&2
    exit 1
  fi
  sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1
}
reply_seconds=30
file_seconds=20
reply_runs="$(fuzz fuzz_reply $reply_seconds fuzz/corpus 4096)"
# Whole configuration files: about 10 KB, 21 KB as UTF-16.
file_runs="$(fuzz fuzz_workingfile $file_seconds fuzz/corpus-workingfile 65536)"

echo "run-tests passed: $(test_count build) tests of the normal build, the package check," \
     "$(test_count build-asan) tests under the sanitizers, fuzzing without a fault:" \
     "${reply_seconds} s of replies (${reply_runs:-?} inputs), ${file_seconds} s of working files (${file_runs:-?} inputs)"
