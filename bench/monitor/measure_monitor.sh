#!/usr/bin/env bash
# The monitor's figures, in two network namespaces created here (root only):
# setarome-cli station sends NODES nodes of CCMS CCMs plus "cnd", every one
# at A-1S-0, unicast into the peer namespace for SECONDS, where
# setarome-cli monitor writes every datagram to a capture file (its lines to
# /dev/null). For each receive buffer listed: datagrams sent, received,
# dropped by the kernel, capture lines and size, the monitor's CPU time.
#   measure_monitor.sh BUILD_DIR [SECONDS [NODES [CCMS [BUFFERS]]]]
# BUFFERS: receive buffer sizes in bytes, separated by commas.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
nodes=${3:-5000}
ccms=${4:-9}
buffers=${5:-212992,4194304,16777216}
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$build/src/cli/setarome-cli
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
sent=$((nodes * (ccms + 1) * seconds))

source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/process_usage.sh"

port=17100
for buffer in ${buffers//,/ }; do
  capture=$session_work/capture-$buffer.jsonl
  ip netns exec "$rx" "$program" monitor --port "$port" --receive-buffer "$buffer" \
    --capture "$capture" >/dev/null 2>"$session_work/monitor.err" &
  monitor_pid=$!
  session_pids+=("$monitor_pid")
  sleep 0.5
  cpu0=$(cpu_ns "$monitor_pid")
  ip netns exec "$tx" "$program" station "$session_work/bench.toml" --to "$rx_ip" \
    --port "$port" --count "$seconds" 2>"$session_work/station.err"
  sleep 1
  cpu=$(($(cpu_ns "$monitor_pid") - cpu0))
  rss=$(awk '/^VmHWM:/ { print $2 }' /proc/"$monitor_pid"/status)
  kill -TERM "$monitor_pid"
  wait "$monitor_pid" || true
  failed=$(grep -c . "$session_work/station.err" || true)
  summary=$(cat "$session_work/monitor.err")
  received=$(sed -n 's/.*received \([0-9]*\),.*/\1/p' <<<"$summary")
  drops=$(sed -n 's/.*kernel drops \([0-9]*\),.*/\1/p' <<<"$summary")
  lines=$(wc -l <"$capture")
  size=$(du -m "$capture" | cut -f1)
  awk -v b="$buffer" -v s="$sent" -v f="$failed" -v r="$received" -v d="$drops" -v l="$lines" \
    -v m="$size" -v c="$cpu" -v t="$seconds" -v h="$rss" 'BEGIN {
      printf "receive buffer %d: sent %d (%d send errors), received %d, lost %d, kernel drops %d; capture %d lines, %d MiB; monitor CPU %.0f%% of a core, %.1f us a datagram, peak RSS %d MiB\n",
        b, s, f, r, s - r, d, l, m, c / 1e9 / t * 100, c / 1e3 / r, h / 1024 }'
  rm -f "$capture"
  port=$((port + 1))
done
