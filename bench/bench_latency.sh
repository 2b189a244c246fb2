#!/usr/bin/env bash
# What a USB adapter's latency timer costs a read-all, and what low-latency
# mode gains: velmora-cli reads a firmware 3.11 gateway simulated at 9600
# baud, with the replies handed over at once (a built-in port), held by a
# 16 ms latency timer (the FTDI default) and by a 1 ms one (low-latency
# mode). The run (from the first record's request to the end) is set against
# the wire time of the replies that cross, and of requests and replies
# together.
# Usage: bench/bench_latency.sh [build folder] (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build-bench}" && pwd)"
runs="${RUNS:-3}"
source bench/simulated_gateway.sh

echo "velmora-cli read, firmware 3.11, 9600 baud, through a simulated adapter latency timer ($runs runs each):"
for latency in 0 16 1; do
  start_simulator --firmware 311 --pace --latency "$latency"
  case "$latency" in
    0) label="no latency timer (built-in port)" ;;
    16) label="latency timer 16 ms (FTDI default)" ;;
    *) label="latency timer $latency ms (low-latency mode)" ;;
  esac
  echo "  $label:"
  for i in $(seq "$runs"); do
    lines_before=$(wc -l <"$work/sim.log")
    "$work/velmora-cli" read COM7 "$work/read.ini" --quiet
    t1=$EPOCHREALTIME
    sleep 0.2
    tail -n +"$((lines_before + 1))" "$work/sim.log" >"$work/run.log"
    # The run starts when the first record is asked for; a request frame is
    # ">" command "<" two check digits CR LF, a reply line as logged plus LF.
    read -r start requests replies count < <(awk '
      / <- C0Z0$/ && !start { start = $1 }
      start && / <- / { sub(/^[^ ]+ gateway-sim: <- /, ""); req += length($0) + 6 }
      start && / -> / { sub(/^[^ ]+ gateway-sim: -> /, ""); rep += length($0) + 1; n++ }
      END { printf "%s %d %d %d\n", start, req, rep, n }' "$work/run.log")
    python3 - "$start" "$t1" "$requests" "$replies" "$count" <<'PY'
import sys
start, end, req, rep, n = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
run, replies, both = end - start, rep / 960.0, (req + rep) / 960.0
print(f"    run {run*1000:7.1f} ms for {n} replies; replies {rep} bytes = {replies*1000:6.1f} ms on the wire, "
      f"run/replies {run/replies:.3f}; with the {req} request bytes {both*1000:6.1f} ms, run/both {run/both:.3f}; "
      f"{(run - replies)*1000/n:5.1f} ms a reply above the replies' wire time")
PY
  done
  stop_simulator
done
cat <<'TEXT'
  Left out: the simulator paces only the replies (requests reach it at once,
  so "run/both" under 1 is possible), and a real adapter adds its USB
  transfer scheduling (about 1 ms per frame) on top of the timer.
TEXT
