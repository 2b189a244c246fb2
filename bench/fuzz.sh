#!/usr/bin/env bash
# Fuzzes each libFuzzer target for a given time and prints what it did:
#   bench/fuzz.sh [SECONDS [TARGET...]]      (default: 60 s, every target)
# Builds the clang fuzz tree in build-fuzz/ first. Each target runs on a
# copy of its seed corpus (fuzz/corpus, fuzz/corpus-workingfile) with a
# length limit above a whole configuration file (about 10 KB, 21 KB as
# UTF-16); its log goes to build-fuzz/TARGET-long.log and a finding's input
# to build-fuzz/TARGET-long-crash-*. Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_reply fuzz_workingfile)

# Only the fuzzers and the core they link: the window and the tools are
# not fuzzed.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" --target fuzz_reply fuzz_workingfile >/dev/null

status=0
printf '%-18s %8s %12s %10s %8s %8s %8s %s\n' target seconds executions exec/s coverage features findings slow-inputs
for target in "${targets[@]}"; do
  case "$target" in
    fuzz_reply) seeds=fuzz/corpus; max_len=4096 ;;
    fuzz_workingfile) seeds=fuzz/corpus-workingfile; max_len=65536 ;;
    *) echo "fuzz.sh: no such target: $target" >&2; exit 2 ;;
  esac
  corpus="build-fuzz/corpus-$target-long"
  log="build-fuzz/$target-long.log"
  mkdir -p "$corpus"
  cp "$seeds"/* "$corpus/"
  rm -f build-fuzz/"$target"-long-*-[0-9a-f]*
  if ! QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
       -artifact_prefix="build-fuzz/$target-long-" "$corpus" >"$log" 2>&1; then
    status=1
  fi
  # libFuzzer's last status line: "#N DONE cov: C ft: F corp: ..." (or the
  # last progress line when it stopped at a finding).
  last="$(grep -E '^#[0-9]+' "$log" | tail -n 1)"
  runs="$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$last")"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  # Crashes, leaks, time-outs and memory blow-ups are findings; inputs that
  # were merely slow (on a busy machine, too) are counted apart.
  findings="$(find build-fuzz -maxdepth 1 -type f \( -name "$target-long-crash-*" -o -name "$target-long-leak-*" \
    -o -name "$target-long-timeout-*" -o -name "$target-long-oom-*" \) | wc -l)"
  slow="$(find build-fuzz -maxdepth 1 -type f -name "$target-long-slow-unit-*" | wc -l)"
  rate=$(( ${runs:-0} / (seconds > 0 ? seconds : 1) ))
  printf '%-18s %8s %12s %10s %8s %8s %8s %s\n' "$target" "$seconds" "${runs:-?}" "$rate" "${cov:-?}" "${ft:-?}" "$findings" "$slow"
done
[ "$status" -eq 0 ] || echo "fuzz.sh: a target found a fault; see build-fuzz/*-long.log" >&2
exit "$status"
