#!/usr/bin/env bash
# Installs what building and running the tool needs on Debian 12; with
# --tests also what its tests and the check of its Debian packages need
# (a virtual X server, pseudo-terminal and network relays and a serial
# server, clang with its
# sanitizer and fuzzer runtimes, lld for linking the test programs, the
# package tools).
# Runs apt only for packages that are missing; uses sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libjpeg-dev
  fonts-dejavu-core fonts-liberation qt6-translations-l10n
)
tests=false
case "${1:-}" in
  --tests) tests=true ;;
  "") ;;
  *) echo "usage: scripts/install-deps.sh [--tests]" >&2; exit 2 ;;
esac
if $tests; then
  packages+=(
    xvfb xauth socat ser2net
    clang libclang-rt-14-dev lld
    dpkg-dev file lintian appstream desktop-file-utils
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The package check asks apt what installing the packages would bring, so
# for the tests the package lists must be there even when nothing is missing.
lists=(/var/lib/apt/lists/*_Packages*)
[ ${#missing[@]} -eq 0 ] && { ! $tests || [ -e "${lists[0]}" ]; } && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
# ser2net comes for the tests, which start their own servers on the loopback
# address: the system service its package enables is not wanted.
if [[ " ${missing[*]} " == *" ser2net "* ]] && command -v systemctl >/dev/null; then
  $sudo systemctl disable --now ser2net.service >/dev/null 2>&1 || true
fi
