#!/usr/bin/env bash
# Installs what the project needs, builds it and starts the panel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
exec "$root/build/src/app/setarome"
