#!/usr/bin/env bash
# Installs what building, running and testing the tool and checking its
# Debian packages need on Debian 12.
# Runs apt only for packages that are missing; uses sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libjpeg-dev
  xvfb xauth socat ser2net fonts-dejavu-core fonts-liberation qt6-translations-l10n
  clang libclang-rt-14-dev
  dpkg-dev file lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The package check asks apt what installing the packages would bring, so
# the package lists must be there even when nothing is missing.
lists=(/var/lib/apt/lists/*_Packages*)
[ ${#missing[@]} -eq 0 ] && [ -e "${lists[0]}" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
