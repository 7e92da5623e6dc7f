#!/usr/bin/env bash
# The whole check on a fresh Debian 12 machine: install, build, run every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${OMBRIX_BUILD_DIR:-$top/build}
cd "$build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j "$(nproc)" --timeout 600
