#!/usr/bin/env bash
# scan --ccms against a station of NODES nodes of CCMS CCMs (plus "cnd") at
# one address, in two network namespaces created here (root only): wall
# time, nodes listed complete, the exit status and what it said, RUNS times.
#   measure_scan.sh BUILD_DIR [NODES [CCMS [RUNS]]]
set -euo pipefail
build=$(cd "$1" && pwd)
nodes=${2:-5000}
ccms=${3:-10}
runs=${4:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }
ip -n "$rx" route add default dev vrx
program="$build/src/cli/setarome-cli"

{
  echo "[[node]]"
  echo "address = \"10.50.0.1\""
  echo "repeat = $nodes"
  for c in $(seq "$ccms"); do
    echo "[[node.ccm]]"
    echo "type = \"Bench$c\""
    echo "level = \"A-1M-0\""
    echo "generator = { kind = \"constant\", value = $c }"
  done
} >"$session_work/bench.toml"
# The data sends go to a port nobody hears; the answers are what counts. The
# reply bound is raised so that one request may draw every node's answer.
ip netns exec "$tx" "$program" station "$session_work/bench.toml" --to "$rx_ip" --port 17001 \
  --scan-reply-bytes 67108864 >/dev/null 2>&1 &
session_pids+=($!)
session_listening "$tx" 16529
for _ in $(seq 100); do
  [ "$(ip netns exec "$rx" "$program" scan --json --timeout 1 2>/dev/null | wc -l)" -eq "$nodes" ] && break
done
sleep 1.2 # the reply budget refills
for run in $(seq "$runs"); do
  start=$(now_ms)
  status=0
  ip netns exec "$rx" "$program" scan --ccms --json --timeout 2 >"$session_work/scan.json" \
    2>"$session_work/scan.err" || status=$?
  ms=$(($(now_ms) - start))
  complete=$(grep -c '"complete":true' "$session_work/scan.json" || true)
  listed=$(wc -l <"$session_work/scan.json")
  echo "run $run: ${ms} ms, $complete of $listed nodes complete ($nodes expected), exit status $status $(tr '\n' ' ' <"$session_work/scan.err")"
  sleep 1.2
done
