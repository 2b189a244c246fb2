#!/usr/bin/env bash
# Builds and runs every test twice: a normal build with gcc (with the check
# of the Debian package), then a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer, so memory faults fail; that second build also
# holds the libFuzzer targets, which then fuzz the reply path and the working
# file's reader and writer for half a minute each, side by side.
# The normal build's tests mostly wait on timers, terminals and child
# processes, so they run while the sanitizer build compiles at the lowest
# priority; their result is shown once that build is done. Stops at the
# first failure; otherwise its last line says what passed.
#   scripts/run-tests.sh [-L LABEL]   only the tests labelled unit, window or
#                                     end-to-end, in the normal build only
set -euo pipefail
cd "$(dirname "$0")/.."

# Most tests wait on timers, pseudo-terminals and child processes rather than
# the processor, so CTest runs twice as many of them as there are cores.
jobs=$(( $(nproc) * 2 ))
test_count() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }
phase_start=$SECONDS
phases=()
phase() { phases+=("$1 $((SECONDS - phase_start)) s"); phase_start=$SECONDS; }

# Benchmarks are built by bench/run.sh, not here: this tree builds what it runs.
# Its programs are optimised as released but carry no debug information, which
# the packages strip anyway and which makes compiling and linking slower.
scripts/build.sh build -DVELMORA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
phase build
if [ "${1:-}" = "-L" ]; then
  ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs" -L "$2"
  echo "run-tests passed: the tests labelled $2 of the normal build"
  exit 0
fi

# The normal build's tests, then the package check, in the background; their
# output is shown once they end.
normal_log=build/normal-tests.log
( start=$SECONDS
  ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs"
  scripts/check-package.sh build
  echo "$((SECONDS - start))" >build/normal-tests.seconds ) >"$normal_log" 2>&1 &
normal_pid=$!
# Should the sanitizer build fail, the background run ends with the script.
trap 'pkill -P "$normal_pid" 2>/dev/null; kill "$normal_pid" 2>/dev/null; true' EXIT

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Line tables are all the sanitizers' reports need of the debug information.
nice -n 19 scripts/build.sh build-san -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
  -DVELMORA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only
phase sanitizer-build
normal_status=0
wait "$normal_pid" || normal_status=$?
trap - EXIT
cat "$normal_log"
if [ "$normal_status" -ne 0 ]; then
  echo "run-tests: the normal build's tests or its package check failed (log: $normal_log)" >&2
  exit 1
fi
phase normal-tests-after-build
ctest --test-dir build-san --output-on-failure --timeout 600 -j "$jobs"
phase sanitizer-tests

# The reply path and the working file's reader and writer under libFuzzer,
# for a bounded time each. Their progress lines go to a log; a finding is
# shown and its input kept.
# fuzz TARGET SECONDS SEEDS MAXLEN: runs one target on a copy of its seed corpus.
fuzz() {
  local target=$1 seconds=$2 seeds=$3 max_len=$4 log=build-san/$1.log
  mkdir -p "build-san/corpus-$target"
  cp "$seeds"/* "build-san/corpus-$target/"
  if ! QT_QPA_PLATFORM=offscreen "build-san/fuzz/$target" -max_total_time="$seconds" \
       -max_len="$max_len" -artifact_prefix="build-san/$target-" "build-san/corpus-$target" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "run-tests: the fuzzer found a fault in $target (whole log: $log; input: build-san/$target-crash-*)" >&2
    exit 1
  fi
  sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1
}
reply_seconds=30
file_seconds=30
# One fuzzer a core. Whole configuration files: about 10 KB, 21 KB as UTF-16.
fuzz fuzz_reply $reply_seconds fuzz/corpus 4096 >build-san/fuzz_reply.runs &
reply_pid=$!
fuzz fuzz_workingfile $file_seconds fuzz/corpus-workingfile 65536 >build-san/fuzz_workingfile.runs &
file_pid=$!
fuzz_status=0
wait "$reply_pid" || fuzz_status=1
wait "$file_pid" || fuzz_status=1
[ "$fuzz_status" -eq 0 ] || exit 1
reply_runs="$(cat build-san/fuzz_reply.runs)"
file_runs="$(cat build-san/fuzz_workingfile.runs)"
phase fuzzing

echo "run-tests times: ${phases[*]} (the normal tests and package check took $(cat build/normal-tests.seconds) s alongside the sanitizer build)"
echo "run-tests passed: $(test_count build) tests of the normal build, the package check," \
     "$(test_count build-san) tests under the sanitizers, fuzzing without a fault:" \
     "${reply_seconds} s of replies (${reply_runs:-?} inputs), ${file_seconds} s of working files (${file_runs:-?} inputs)"
