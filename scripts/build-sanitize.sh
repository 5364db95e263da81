#!/usr/bin/env bash
# Configures and builds the sanitizer tree into build-sanitize/: clang with
# AddressSanitizer and UndefinedBehaviorSanitizer over everything, plus the
# libFuzzer targets and their seed corpora. Content and benchmarks are left
# out (the normal tree builds them). Extra arguments go to CMake's configure.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The soundtrack comes from the normal tree when that has rendered it (build
# that tree first after changing the song, as test.sh does).
soundtrack="$top/build/content/sfx/MarbleHollow_Rhythm.mp3"
[ -f "$soundtrack" ] || soundtrack=""
cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DAMBER_FUZZ=ON -DAMBER_BUILD_CONTENT=OFF -DAMBER_BUILD_BENCHMARKS=OFF \
  -DAMBER_SOUNDTRACK_FILE="$soundtrack" "$@"
cmake --build "$top/build-sanitize" --parallel "$(nproc)"
