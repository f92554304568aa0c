#!/usr/bin/env bash
# The monitor window beside a station, across a veth pair of network
# namespaces created here and removed on exit: the station sends and answers
# scans in "tx"; the window's test program receives, scans and records in
# "rx" on the offscreen platform.
#   monitor_window_namespace.sh PROGRAM WINDOW_TEST
set -euo pipefail
program=$1
window_test=$2
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip

cat >"$session_work/station.toml" <<TOML
[[node]]
address = "$tx_ip"
name = "rooftop"
vendor = "ACME"
[[node.ccm]]
type = "WAirTemp"
level = "A-1S-0"
cast = 1
unit = "C"
generator = { kind = "constant", value = 21.5 }
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "constant", value = 1 }
TOML

# Bounded, should the test be stopped before it ends it.
ip netns exec "$tx" "$program" station "$session_work/station.toml" --duration 60 \
  >"$session_work/station.log" 2>&1 &
session_pids+=($!)
session_listening "$tx" 16529

status=0
ip netns exec "$rx" env QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' \
  HOME="$session_work" SETAROME_STATION="$tx_ip" SETAROME_WORK="$session_work" \
  "$window_test" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- station output"; cat "$session_work/station.log"
fi
exit "$status"
