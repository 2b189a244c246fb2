#!/usr/bin/env bash
# Refreshes the README's pictures of each page (docs/screenshots/*.png): the
# real main window under Xvfb, with a fresh working file, in English.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/build.sh "$build" >/dev/null
cmake --build "$build" --target velmora-screenshots >/dev/null
tool="$build/tools/screenshots/velmora-screenshots"
mkdir -p docs/screenshots
if command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$tool" docs/screenshots 1
else
  QT_QPA_PLATFORM=offscreen "$tool" docs/screenshots 1
fi
