#!/usr/bin/env bash
# The README's picture of the monitor window: a small station sends in one
# namespace of a pair created here (root only), the real window receives in
# the other under Xvfb, scans the station for its units, charts three CCMs
# for a minute and saves itself.
#   screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
seconds=${3:-70}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }

cat >"$session_work/greenhouse.toml" <<TOML
seed = 1
[[node]]
address = "$tx_ip"
name = "rooftop"
vendor = "ACME"
[[node.ccm]]
type = "WAirTemp"
level = "A-1S-0"
cast = 1
unit = "C"
noise = 0.2
generator = { kind = "sine", min = 14.0, max = 22.0, period = 60 }
[[node.ccm]]
type = "WAirHumid"
level = "A-1S-0"
cast = 1
unit = "%"
generator = { kind = "sine", min = 55.0, max = 85.0, period = 90, phase = 20 }
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "square", cycle = 40, low = 0, high = 1 }
TOML

ip netns exec "$tx" "$build/src/cli/setarome-cli" station "$session_work/greenhouse.toml" \
  --duration "$((seconds + 10))" >/dev/null 2>&1 &
session_pids+=($!)
session_listening "$tx" 16529
ip netns exec "$rx" env SETAROME_SCAN="$tx_ip" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bench/viewer/monitor_window_bench" "$seconds" 16520 3 "$output"
