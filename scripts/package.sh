#!/usr/bin/env bash
# Builds Ombrix (scripts/build.sh) and makes the Debian package from that build with CPack.
# Prints the path of the .deb, and nothing else, on standard output; cpack's own messages go to
# standard error. The package lands in build/package/ (or $OMBRIX_BUILD_DIR/package/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${OMBRIX_BUILD_DIR:-$top/build}

"$top/scripts/install-deps.sh" >&2
"$top/scripts/build.sh" >&2

out=$build/package
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out") >&2
deb=$(find "$out" -maxdepth 1 -name '*.deb' | head -n 1)
if [ -z "$deb" ]; then
    echo "cpack made no .deb in $out" >&2
    exit 1
fi
echo "$deb"
