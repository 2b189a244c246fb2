#!/usr/bin/env bash
# Builds the Debian package from a configured and built folder (default
# build/) and checks that it holds the program, the command-line tool with its
# manual page, the menu entry and the icon.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
out="$build/package"

rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
debs=("$out"/velmora_*.deb)
[ -f "${debs[0]}" ] || { echo "check-package: no .deb in $out" >&2; exit 1; }
deb="${debs[0]}"

contents="$(dpkg-deb --contents "$deb")"
status=0
for path in ./usr/bin/velmora ./usr/bin/velmora-cli ./usr/share/man/man1/velmora-cli.1.gz \
            ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/64x64/apps/velmora.png; do
  if ! grep -q " $path\$" <<<"$contents"; then
    echo "check-package: $path missing from $(basename "$deb")" >&2
    status=1
  fi
done
grep -q "^-rwxr-xr-x .* ./usr/bin/velmora\$" <<<"$contents" \
  || { echo "check-package: ./usr/bin/velmora is not executable" >&2; status=1; }
depends="$(dpkg-deb --field "$deb" Depends)"
for dep in libqt6widgets6 libqt6serialport6 libqt6network6 libjpeg62-turbo qt6-qpa-plugins \
           fonts-liberation fonts-dejavu-core qt6-translations-l10n; do
  grep -qw "$dep" <<<"$depends" || { echo "check-package: Depends lacks $dep" >&2; status=1; }
done
[ $status -eq 0 ] && echo "check-package: $(basename "$deb") ok"
exit $status
