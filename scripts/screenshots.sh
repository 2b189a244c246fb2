#!/usr/bin/env bash
# Refreshes the README's pictures of each page (docs/screenshots/de/*.png and
# docs/screenshots/en/*.png): the real main window under Xvfb, with a fresh
# working file, and only the fonts that the package depends on, as on a fresh
# machine. Fails when a caption is cut off by its control, or when the
# longest text of a kind of message does not fit (pictures of those in
# $build/screenshots-messages/).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/build.sh "$build" >/dev/null
cmake --build "$build" --target velmora-screenshots >/dev/null
tool="$build/tools/screenshots/velmora-screenshots"

fonts="$(mktemp -d)"
trap 'rm -rf "$fonts"' EXIT
dpkg -L fonts-liberation fonts-dejavu-core | grep -E '\.(ttf|otf)$' | while read -r f; do
  ln -s "$f" "$fonts/"
done
cat >"$fonts/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$fonts</dir>
  <cachedir>$fonts/cache</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
CONF
export FONTCONFIG_FILE="$fonts/fonts.conf"

rm -f docs/screenshots/de/*.png docs/screenshots/en/*.png
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$tool" docs/screenshots "$build/screenshots-messages"
