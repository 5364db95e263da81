#!/usr/bin/env bash
# Installs what is missing, builds, and runs the show from build/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/scripts/ensure-packages.sh"
"$top/scripts/build.sh"
cd "$top/build"
exec ./amberpudding
