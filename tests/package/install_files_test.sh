#!/usr/bin/env bash
# Installs the build into a private prefix and checks what lands there: every
# file in its usual place, a desktop entry and AppStream metadata that the
# desktop's own validators accept, and a show that finds the installed
# pack.zip when started from an empty folder.
# usage: install_files_test.sh BUILD_DIR APP_ID
set -euo pipefail
build=$(cd "$1" && pwd) app=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (Debian package desktop-file-utils)"
command -v appstreamcli >/dev/null || fail "appstreamcli is missing (Debian package appstream)"

prefix=$(mktemp -d) empty=$(mktemp -d)
trap 'rm -rf "$prefix" "$empty"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/amberpudding bin/amberrender bin/packtool share/amberpudding/pack.zip
  "share/applications/$app.desktop" "share/metainfo/$app.metainfo.xml"
  share/icons/hicolor/scalable/apps/amberpudding.svg share/doc/amberpudding/copyright
  share/doc/amberpudding/changelog.Debian.gz)
for side in 16 32 48 64 128 256 512; do expected+=("share/icons/hicolor/${side}x$side/apps/amberpudding.png"); done
for program in amberpudding amberrender packtool; do expected+=("share/man/man1/$program.1.gz"); done
for file in "${expected[@]}"; do [ -s "$prefix/$file" ] || fail "not installed: $file"; done

desktop-file-validate "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"

version=$(cd "$empty" && "$prefix/bin/amberpudding" --version)
grep -qxF "package: $prefix/share/amberpudding/pack.zip (installed)" <<<"$version" ||
  fail "the installed show does not find the installed pack.zip: $version"
echo "installed files in place and valid"
