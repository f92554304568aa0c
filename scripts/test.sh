#!/usr/bin/env bash
# Builds the project and runs the whole test suite. Widget tests use Qt's
# offscreen platform; the network tests create (and remove) their own network
# namespaces, so run this as root to include them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$root/build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
