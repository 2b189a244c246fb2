#!/usr/bin/env bash
# velmora-cli read of a firmware 3.11 gateway simulated at 9600 baud: the
# time after the handshake against the wire time of the replies that cross
# (10 bits a byte), and the peak resident memory of velmora-cli against the
# window's. Usage: bench/bench_cli.sh [build folder] (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build-bench}" && pwd)"
runs="${RUNS:-3}"
source bench/simulated_gateway.sh
start_simulator --firmware 311 --pace

echo "velmora-cli read, firmware 3.11, replies paced at 9600 baud ($runs runs):"
worst=""
for i in $(seq "$runs"); do
  lines_before=$(wc -l <"$work/sim.log")
  t0=$EPOCHREALTIME
  /usr/bin/time -f '%M' -o "$work/rss" "$work/velmora-cli" read COM7 "$work/read$i.ini" --quiet
  t1=$EPOCHREALTIME
  sleep 0.2
  tail -n +"$((lines_before + 1))" "$work/sim.log" >"$work/run.log"
  # The handshake ends when the first record is asked for; every reply after
  # that crosses the wire within the run.
  read -r handshake_end run_bytes < <(awk '
    / <- C0Z0$/ && !start { start = $1 }
    start && / -> / { sub(/^[^ ]+ gateway-sim: -> /, ""); bytes += length($0) + 1 }
    END { printf "%s %d\n", start, bytes }' "$work/run.log")
  python3 - "$t0" "$t1" "$handshake_end" "$run_bytes" "$(cat "$work/rss")" <<'PY'
import sys
t0, t1, hs, nbytes, rss = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
wire = nbytes / 960.0
handshake, run, total = hs - t0, t1 - hs, t1 - t0
limit = handshake + 1.05 * wire
print(f"  total {total*1000:7.1f} ms = handshake {handshake*1000:6.1f} ms + run {run*1000:7.1f} ms; "
      f"replies {nbytes} bytes = {wire*1000:.1f} ms on the wire; run/wire {run/wire:.3f}; "
      f"limit {limit*1000:.1f} ms {'ok' if total <= limit else 'OVER'}; peak RSS {rss} KiB")
PY
done

if [ -x "$build/velmora" ]; then
  # The window on the same machine, started and left idle for two seconds.
  mkdir "$work/window"
  cp "$build/velmora" "$work/window/"
  QT_QPA_PLATFORM=offscreen "$work/window/velmora" >/dev/null 2>&1 &
  window_pid=$!
  sleep 2
  window_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$window_pid/status" 2>/dev/null || echo "?")
  kill "$window_pid" 2>/dev/null || true
  echo "peak RSS: velmora-cli $(cat "$work/rss") KiB, window (idle, offscreen) $window_rss KiB"
fi
