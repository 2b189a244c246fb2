#!/usr/bin/env bash
# Builds the tool and opens it, with the gateway simulator registered as a
# port (COM50 or the next free alias) in the tool's ports/ folder, so that it
# can be connected to at once. The simulator ends with the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
build/gateway-sim --ports-dir build/ports &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
build/velmora "$@"
