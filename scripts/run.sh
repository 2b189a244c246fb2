#!/usr/bin/env bash
# Builds the tool and the gateway simulator (nothing else) and opens the tool,
# with the simulator registered as a port (COM50 or the next free alias) in
# the tool's ports/ folder, so that it can be connected to at once. The
# simulator ends with the tool.
set -euo pipefail
cd "$(dirname "$0")/.."

# Qt would abort in its own words without a display; say what is needed.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
run.sh: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set).
Start it in a desktop session, or without one under a virtual X server:
    xvfb-run -a scripts/run.sh
(Debian package xvfb). velmora-cli reads and writes the gateway without a window.
TEXT
  exit 1
fi

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --parallel "$(nproc)" --target velmora gateway-sim
build/gateway-sim --ports-dir build/ports &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
build/velmora "$@"
