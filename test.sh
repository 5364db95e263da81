#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest; then
# does the same in the sanitizer tree (ASan and UBSan, see
# scripts/build-sanitize.sh), where a few seconds of fuzzing per target over
# the seed corpora run as tests too. Arguments go to both CTest runs.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/scripts/ensure-packages.sh"
"$top/scripts/build.sh"
(cd "$top/build" && ctest --output-on-failure --parallel "$(nproc)" "$@")
"$top/scripts/build-sanitize.sh"
cd "$top/build-sanitize"
ctest --output-on-failure --parallel "$(nproc)" "$@"
