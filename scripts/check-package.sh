#!/usr/bin/env bash
# Builds the Debian packages velmora and velmora-cli from a configured build
# folder (default build/) and checks them as Debian would: their files
# unpacked into one clean root, the hardening of the programs, the manual
# pages, icons, menu entry and AppStream data, their dependencies and what
# installing each would bring onto an empty Debian 12 (velmora-cli: no Qt
# Widgets), and lintian --pedantic without any error or warning.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
out="$build/package"
root="$out/root"
status=0
fail() { echo "check-package: $*" >&2; status=1; }

cmake --build "$build" --target velmora velmora-cli velmora-package-files >/dev/null
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)

# The release: version and date of the newest changelog entry.
version="$(sed -n '1s/^velmora (\([^)]*\)).*/\1/p' packaging/changelog)"
release_date="$(date -u -d "$(sed -n '0,/^ -- /s/^ -- .*>  //p' packaging/changelog)" +%F)"
arch="$(dpkg --print-architecture)"

# Exactly the two packages: a file installed without a component would make
# a third one.
expected="velmora-cli_${version}_${arch}.deb velmora_${version}_${arch}.deb"
found="$(cd "$out" && ls -- *.deb 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//')"
if [ "$found" != "$expected" ]; then
  echo "check-package: expected $expected in $out, found: ${found:-nothing}" >&2
  exit 1
fi
deb_gui="$out/velmora_${version}_${arch}.deb"
deb_cli="$out/velmora-cli_${version}_${arch}.deb"

# Both unpacked into one root; no file may belong to both packages.
mkdir -p "$root"
dpkg-deb -x "$deb_gui" "$root"
dpkg-deb -x "$deb_cli" "$root"
files_of() { dpkg-deb --contents "$1" | awk '$1 !~ /^d/ {print $6}' | sort; }
shared="$(comm -12 <(files_of "$deb_gui") <(files_of "$deb_cli"))"
[ -z "$shared" ] || fail "in both packages: $shared"

# package|file, one row per file each package must hold.
contents=(
  "velmora|usr/bin/velmora"
  "velmora|usr/share/man/man1/velmora.1.gz"
  "velmora|usr/share/doc/velmora/copyright"
  "velmora|usr/share/doc/velmora/changelog.Debian.gz"
  "velmora|usr/share/applications/velmora.desktop"
  "velmora|usr/share/icons/hicolor/scalable/apps/velmora.svg"
  "velmora|usr/share/metainfo/com.example.velmora.metainfo.xml"
  "velmora-cli|usr/bin/velmora-cli"
  "velmora-cli|usr/share/man/man1/velmora-cli.1.gz"
  "velmora-cli|usr/share/doc/velmora-cli/copyright"
  "velmora-cli|usr/share/doc/velmora-cli/changelog.Debian.gz"
  "velmora-cli|usr/share/metainfo/com.example.velmora.cli.metainfo.xml"
  "velmora-cli|usr/share/bash-completion/completions/velmora-cli"
)
for size in 16 32 48 64 128 256; do
  contents+=("velmora|usr/share/icons/hicolor/${size}x${size}/apps/velmora.png")
done
for row in "${contents[@]}"; do
  package="${row%%|*}" path="${row#*|}"
  deb="$out/${package}_${version}_${arch}.deb"
  files_of "$deb" | grep -qx "./$path" || fail "$path missing from $(basename "$deb")"
done

# Programs: executable, stripped, and built with the hardening flags:
# position-independent, relocations read-only and bound at start, stack
# protector and fortified libc calls.
for program in velmora velmora-cli; do
  exe="$root/usr/bin/$program"
  [ -x "$exe" ] || { fail "usr/bin/$program is not executable"; continue; }
  readelf -h "$exe" | grep -q 'Type: *DYN' || fail "$program is not position-independent"
  readelf -l "$exe" | grep -q 'GNU_RELRO' || fail "$program has no read-only relocations"
  readelf -d "$exe" | grep -Eq 'BIND_NOW|FLAGS_1.* NOW' || fail "$program is not bound at start"
  symbols="$(readelf --dyn-syms -W "$exe")"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
  grep -Eq '__[a-z0-9]+_chk@' <<<"$symbols" || fail "$program calls no fortified function"
  readelf -S "$exe" | grep -q '\.symtab' && fail "$program is not stripped"
done

# Manual pages and changelogs compressed; the pages dated by the release.
for page in velmora velmora-cli; do
  gz="$root/usr/share/man/man1/$page.1.gz"
  th="$(gzip -dc "$gz" | sed -n '/^\.TH /{p;q}')"
  grep -q "\"$release_date\" \"$page ${version%-*}\"" <<<"$th" \
    || fail "$page.1 is not dated $release_date for version ${version%-*}: $th"
  gzip -t "$root/usr/share/doc/$page/changelog.Debian.gz" || fail "$page: changelog.Debian.gz is no gzip file"
  head -n 1 "$root/usr/share/doc/$page/copyright" \
    | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "$page: copyright is not machine-readable"
done

# Icons of the size their folder names.
for size in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/velmora.png" \
    | grep -q "PNG image data, $size x $size," || fail "the ${size}x${size} icon has another size"
done

# Menu entry and software-centre data. --no-net: the check runs offline, so
# the screenshot and homepage addresses are checked for form, not fetched.
desktop-file-validate "$root/usr/share/applications/velmora.desktop" || fail "velmora.desktop is not valid"
appstreamcli validate --pedantic --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null \
  || { appstreamcli validate --pedantic --no-net "$root"/usr/share/metainfo/*.metainfo.xml >&2 || true
       fail "AppStream metainfo is not valid"; }

# Dependencies as the binaries need them (libc and every linked library with
# a version), and the upgrade from velmora 1.1.1, which held velmora-cli:
# package|field|pattern that must match the field, or !pattern that must not.
relation_rules=(
  "velmora|Depends|libc6 (>= "
  "velmora|Depends|libqt6widgets6 (>= "
  "velmora|Depends|libqt6serialport6 (>= "
  "velmora|Depends|libjpeg62-turbo (>= "
  "velmora|Depends|qt6-qpa-plugins"
  "velmora|Depends|fonts-liberation"
  "velmora|Depends|fonts-dejavu-core"
  "velmora|Depends|qt6-translations-l10n"
  "velmora|Recommends|velmora-cli"
  "velmora-cli|Depends|libc6 (>= "
  "velmora-cli|Depends|libqt6core6 (>= "
  "velmora-cli|Depends|libqt6serialport6 (>= "
  "velmora-cli|Depends|libqt6network6 (>= "
  "velmora-cli|Depends|!libqt6widgets6"
  "velmora-cli|Depends|!libqt6gui6"
  "velmora-cli|Depends|!fonts-"
  "velmora-cli|Depends|!qt6-translations-l10n"
  "velmora-cli|Breaks|velmora (<< 1.1.1-1)"
  "velmora-cli|Replaces|velmora (<< 1.1.1-1)"
)
for rule in "${relation_rules[@]}"; do
  IFS='|' read -r package field pattern <<<"$rule"
  value="$(dpkg-deb --field "$out/${package}_${version}_${arch}.deb" "$field")"
  if [ "${pattern#!}" != "$pattern" ]; then
    grep -qF -- "${pattern#!}" <<<"$value" && fail "$package: $field has ${pattern#!}: $value"
  else
    grep -qF -- "$pattern" <<<"$value" || fail "$package: $field lacks $pattern: $value"
  fi
done

# What apt would install for each package on a machine with nothing on it:
# dpkg's status is an empty file, the package lists are this machine's.
empty_status="$out/empty-status"
: >"$empty_status"
install_plan() { # recommends(true|false) debs...
  local recommends="$1"
  shift
  apt-get --simulate -q -o Dir::State::status="$empty_status" \
    -o APT::Install-Recommends="$recommends" install "$@" 2>&1
}
widget_packages='^(libqt6widgets6|libqt6gui6|qt6-qpa-plugins|fonts-.*)$'
for recommends in false true; do
  if plan="$(install_plan "$recommends" "$deb_cli")"; then
    pulled="$(awk '/^Inst /{print $2}' <<<"$plan")"
    grep -qx velmora-cli <<<"$pulled" || fail "apt would not install velmora-cli: $plan"
    unwanted="$(grep -E "$widget_packages" <<<"$pulled" | tr '\n' ' ' || true)"
    [ -z "$unwanted" ] || fail "velmora-cli pulls in $unwanted(recommends: $recommends)"
    if [ "$recommends" = false ] && grep -qx qt6-translations-l10n <<<"$pulled"; then
      fail "velmora-cli pulls in qt6-translations-l10n"
    fi
  else
    fail "apt cannot install velmora-cli on an empty Debian (package lists missing? apt-get update): $plan"
  fi
done
plan="$(install_plan false "$deb_gui" "$deb_cli")" \
  || fail "apt cannot install velmora and velmora-cli on an empty Debian: $plan"

# lintian as Debian's archive runs it, failing on any error or warning.
if ! lintian --pedantic --fail-on error,warning "$deb_gui" "$deb_cli" \
     2> >(grep -v 'running with root privileges' >&2); then
  fail "lintian reports errors or warnings"
fi

[ $status -eq 0 ] && echo "check-package: $(basename "$deb_gui") and $(basename "$deb_cli") ok"
exit $status
