#!/usr/bin/env bash
# The monitor window's figures, in two network namespaces created here (root
# only): setarome-cli station sends NODES nodes of CCMS CCMs plus "cnd",
# every one at A-1S-0, unicast into the peer namespace for SECONDS, where
# the real window (under Xvfb) receives them with CHARTED rows on its chart.
# Prints the station's count, then the window's redraws a second, how long a
# click waited, its CPU share and peak memory, and what the status bar said.
#   measure_monitor_window.sh BUILD_DIR [SECONDS [NODES [CCMS [CHARTED]]]]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
nodes=${3:-5000}
ccms=${4:-9}
charted=${5:-4}
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$build/src/cli/setarome-cli
bench=$build/bench/viewer/monitor_window_bench
source "$root/tests/app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }

{
  echo "seed = 1"
  echo "[[node]]"
  echo "address = \"10.100.0.1\""
  echo "repeat = $nodes"
  for index in $(seq "$ccms"); do
    echo "[[node.ccm]]"
    echo "type = \"InAirTemp$index\""
    echo "level = \"A-1S-0\""
    echo "cast = 1"
    echo "generator = { kind = \"sine\", min = 12.0, max = 28.0, period = 600 }"
  done
} >"$session_work/bench.toml"

port=17200
ip netns exec "$rx" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$bench" "$((seconds + 1))" "$port" "$charted" >"$session_work/window.out" 2>&1 &
window_pid=$!
session_pids+=("$window_pid")
session_listening "$rx" "$port"
ip netns exec "$tx" "$program" station "$session_work/bench.toml" --to "$rx_ip" \
  --port "$port" --count "$seconds" 2>"$session_work/station.err"
wait "$window_pid" || true
echo "station: $((nodes * (ccms + 1))) datagrams a second for $seconds s" \
  "($(grep -c . "$session_work/station.err" || true) lines of errors)"
grep -v '^QStandardPaths' "$session_work/window.out"
