#!/usr/bin/env bash
# Installs what the project needs, then configures and builds it in ./build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/compiler_cache.sh"
cmake -S "$root" -B "$root/build" -G Ninja "${cache_flags[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j "$(nproc)"
