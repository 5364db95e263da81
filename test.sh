#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest; then
# does the same in the sanitizer tree (ASan and UBSan, see
# scripts/build-sanitize.sh), where a few seconds of fuzzing per target over
# the seed corpora run as tests too. Arguments go to both CTest runs.
#
# The whole-program runs over damaged packages (BrokenPackage.Any*) restart
# the show dozens of times; they run once, in the sanitizer tree, where a
# memory fault they provoke is caught even when it does not crash. The
# comparison of the two render-target layouts (RenderTargetLayout.*) is about
# pixels, not memory, and renders a hundred frames at 720p; it runs once, in
# the normal tree, since the other renderer tests drive the same code under
# the sanitizers. So do the sound servers' dropout tests (Each/SoundServer.*),
# which are about timing on a busy machine: the sanitizers' slowdown would
# measure themselves; the other sound tests drive the same code under them.
# The unplayable-PipeWire tests (Native/UnplayablePipeWire.*) run in the
# normal tree only: closing a device of SDL 2.26's PipeWire driver once hung
# under AddressSanitizer, its thread loop waiting on a lock inside SDL.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
started=$SECONDS
phase() { printf '== %s (%d s so far)\n' "$1" $((SECONDS - started)); }

phase "packages"
"$top/scripts/ensure-packages.sh"
phase "normal tree: build"
"$top/scripts/build.sh"
phase "normal tree: tests"
(cd "$top/build" && ctest --output-on-failure --parallel "$(nproc)" \
  --exclude-regex '^BrokenPackage\.Any' "$@")
phase "sanitizer tree: build"
"$top/scripts/build-sanitize.sh"
phase "sanitizer tree: tests"
(cd "$top/build-sanitize" && ctest --output-on-failure --parallel "$(nproc)" \
  --exclude-regex '^RenderTargetLayout\.|^Each/SoundServer\.|^Native/UnplayablePipeWire\.' "$@")
phase "all tests passed"
