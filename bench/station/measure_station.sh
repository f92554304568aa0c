#!/usr/bin/env bash
# The station's figures, in two network namespaces created here (root only):
# - NODES nodes of CCMS CCMs plus "cnd" each, every one at A-1S-0, sent
#   unicast into the peer namespace for SECONDS: lateness of each send, loss
#   at a receiver that keeps up, CPU per datagram beside a bare sendto loop;
# - the full weather station example (7 CCMs and "cnd") at its normal
#   levels for STATION_SECONDS: CPU time per hour.
#   measure_station.sh BUILD_DIR [SECONDS [NODES [CCMS [STATION_SECONDS]]]]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
nodes=${3:-5000}
ccms=${4:-9}
station_seconds=${5:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }

ip netns exec "$rx" "$build/bench/station/count_receive" 17000 2000 >"$session_work/count" &
session_pids+=($!)
for _ in $(seq 100); do [ -s "$session_work/count" ] && break; sleep 0.05; done
ip netns exec "$tx" "$build/bench/station/bench_station" "$rx_ip" 17000 "$seconds" "$nodes" "$ccms" |
  tee "$session_work/bench"
wait "${session_pids[0]}"
sent=$(awk '/^station:/ { print $2 }' "$session_work/bench")
read -r received bare_received < <(tail -n1 "$session_work/count")
echo "receiver: $received of $sent station datagrams, $((sent - received)) lost ($bare_received of the bare loops')"

source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/process_usage.sh"
ip netns exec "$tx" "$build/src/cli/setarome-cli" station "$root/share/scenarios/weather-station.toml" \
  --to "$rx_ip" &
pid=$!
session_pids+=("$pid")
# From after the first second: what running costs, not starting.
sleep 1.5
cpu0=$(cpu_ns "$pid")
sleep "$station_seconds"
cpu=$(($(cpu_ns "$pid") - cpu0))
kill -TERM "$pid"
awk -v c="$cpu" -v s="$station_seconds" \
  'BEGIN { printf "weather station (7 CCMs and cnd): CPU time per hour %.3f s\n", c / 1e9 * 3600 / s }'
