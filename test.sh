#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/scripts/ensure-packages.sh"
"$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
