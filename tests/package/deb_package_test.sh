#!/usr/bin/env bash
# Builds the .deb, checks it with lintian, installs it on this machine, runs
# what it installed from an empty folder, and removes it again, leaving
# nothing behind. Installing touches the whole machine, so runs take turns
# (a lock); a copy this test left installed when it was killed is removed
# first, and one someone installed by hand is left alone (the test fails).
# usage: deb_package_test.sh BUILD_DIR DEB_VERSION
set -euo pipefail
build=$(cd "$1" && pwd) version=$2
name=amberpudding
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev lintian:lintian man:man-db; do
  command -v "${tool%%:*}" >/dev/null || fail "${tool%%:*} is missing (Debian package ${tool#*:})"
done
[ "$(id -u)" = 0 ] || fail "installing a package needs root"

work=$(mktemp -d) installed=0 show=0
marker="/run/lock/$name-deb-test.installed"
cleanup() {
  [ "$show" = 0 ] || kill -KILL "$show" 2>/dev/null || true
  if [ "$installed" = 1 ] && dpkg_retry -r "$name"; then rm -f "$marker"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# dpkg refuses at once while someone else's apt or dpkg runs: wait for it.
dpkg_retry() {
  local output
  for _ in $(seq 120); do
    if output=$(dpkg "$@" 2>&1); then return 0; fi
    grep -qi lock <<<"$output" || { echo "$output" >&2; return 1; }
    sleep 2
  done
  echo "$output" >&2
  return 1
}

exec 9>"/run/lock/$name-deb-test.lock"
flock -w 600 9 || fail "another run of this test held the lock for 10 minutes"

cmake --build "$build" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; fail "package target"; }
deb="$build/package/${name}_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2' || fail "Depends lacks the linked libraries: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" || fail "lintian reports errors"

is_installed() { [[ $(dpkg-query -W -f='${Status}' "$name" 2>/dev/null) == *" installed" ]]; }
if is_installed; then
  [ -e "$marker" ] || fail "$name is already installed here; remove it first (dpkg -r $name)"
  dpkg_retry -r "$name" || fail "dpkg -r of the copy an interrupted run left"
fi
installed=1
touch "$marker"
dpkg_retry -i "$deb" || fail "dpkg -i"

# The show from an empty folder: it finds the installed pack, loads, draws
# and ends cleanly on SIGTERM, and writes nothing where it was started.
mkdir "$work/empty"
cd "$work/empty"
version_text=$(/usr/bin/amberpudding --version)
grep -qxF "package: /usr/share/$name/pack.zip (installed)" <<<"$version_text" ||
  fail "the installed show does not find its pack: $version_text"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy /usr/bin/amberpudding 2>"$work/show.err" &
show=$!
sleep 15  # past loading (a few seconds on software GL) into the first scenes
kill -0 "$show" 2>/dev/null || fail "the show ended early: $(cat "$work/show.err")"
ls -l "/proc/$show/fd" | grep -qF "/usr/share/$name/pack.zip" || fail "the show has not opened the installed pack"
kill -TERM "$show"
status=0; wait "$show" || status=$?
show=0
[ "$status" = 0 ] || fail "the show ended with status $status on SIGTERM: $(cat "$work/show.err")"
! grep -q "Engine halted" "$work/show.err" || fail "the show halted: $(cat "$work/show.err")"
[ -z "$(ls -A .)" ] || fail "the show left files in its folder: $(ls -A .)"

help_text=$(/usr/bin/amberrender --help) || fail "amberrender --help: status $?"
grep -q "^usage: amberrender" <<<"$help_text" || fail "amberrender --help: $help_text"
page=$(MANPAGER=cat man -l "/usr/share/man/man1/amberrender.1.gz") || fail "man -l amberrender.1.gz"
grep -Eq "amberrender +- +render the Amber Pudding show" <<<"$page" || fail "man -l amberrender.1.gz: $page"
cd /

dpkg_retry -r "$name" || fail "dpkg -r"
installed=0
rm -f "$marker"
! is_installed || fail "still installed after dpkg -r"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' >"$work/files"
while read -r file; do [ ! -e "$file" ] || fail "left behind: $file"; done <"$work/files"
[ ! -e "/usr/share/$name" ] || fail "left behind: /usr/share/$name"
echo "package built, installed, run and removed"
