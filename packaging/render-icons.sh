#!/usr/bin/env bash
# Renders the hicolor PNG icons from velmora.svg (rsvg-convert, Debian package
# librsvg2-bin). Run it again after changing the SVG and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" velmora.svg -o "icons/${size}x${size}/velmora.png"
done
