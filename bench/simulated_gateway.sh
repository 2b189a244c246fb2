# Sourced by the benchmark scripts that time velmora-cli against the gateway
# simulator. Expects $build (the build folder). Makes $work, a folder of its
# own holding velmora-cli, so that COM7 is the simulator's alias there, and
# removes it on exit with the simulator still running.

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp "$build/velmora-cli" "$work/"

# start_simulator [ARGUMENT...]: the simulator as COM7 with the arguments
# given, each line of its --verbose log written to $work/sim.log with the time
# it arrived; returns once the simulator has named its port.
start_simulator() {
  # Files of a simulator before must not pass for this one's.
  rm -f "$work/sim.out" "$work/sim.err"
  : >"$work/sim.log"
  mkfifo "$work/sim.err"
  "$build/gateway-sim" --ports-dir "$work/ports" --name COM7 "$@" --verbose >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done <"$work/sim.err" >"$work/sim.log" &
  for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.05; done
}

# The simulator ended, and with it the reader of its log.
stop_simulator() {
  kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  sim_pid=""
}
