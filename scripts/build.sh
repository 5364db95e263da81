#!/usr/bin/env bash
# Configures and builds the project into build/ (Release with debug info).
# Extra arguments go to CMake's configure step.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$top/build" --parallel "$(nproc)"
