#!/usr/bin/env bash
# Configures and builds Ombrix into build/ (or $OMBRIX_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${OMBRIX_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${OMBRIX_BUILD_TYPE:-RelWithDebInfo} \
    -DOMBRIX_WERROR=${OMBRIX_WERROR:-ON} >/dev/null
cmake --build "$build" -j "$(nproc)"
