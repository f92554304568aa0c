#!/usr/bin/env bash
# setarome-cli station sending 200 nodes of 3 CCMs and "cnd", all at A-1S-0
# (800 datagrams a second, several nodes to a millisecond's wake-up, sent
# together), from one network namespace to a receiver in another, both
# created here and removed on exit, for 3 s:
# - the datagrams arrive in exactly the order, and with exactly the bytes,
#   that the dry run prints;
# - each arrives, by the kernel's receive time, at its node's turn: node k
#   at k * 5 ms into each second, counted from the first datagram, never
#   more than 50 ms early and at most 1 s late (generous: a loaded machine).
#   station_batch_namespace.sh PROGRAM RECEIVER
set -euo pipefail
program=$1
receiver=$2
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces_or_skip

nodes=200
ccms=3
seconds=3
per_node=$((ccms + 1))
total=$((nodes * per_node * seconds))
{
  echo "seed = 1"
  echo "[[node]]"
  echo 'address = "10.100.0.1"'
  echo "repeat = $nodes"
  echo "answer_scans = false"
  for index in $(seq "$ccms"); do
    echo "[[node.ccm]]"
    echo "type = \"InAirTemp$index\""
    echo 'level = "A-1S-0"'
    echo "cast = 1"
    echo 'generator = { kind = "sine", min = 12.0, max = 28.0, period = 600 }'
  done
} >"$session_work/batch.toml"

ip netns exec "$rx" "$receiver" 16550 "$total" 20000 >"$session_work/received" &
receiver_pid=$!
session_pids+=("$receiver_pid")
session_listening "$rx" 16550
"$program" station "$session_work/batch.toml" --dry-run --count "$seconds" >"$session_work/expected"
ip netns exec "$tx" "$program" station "$session_work/batch.toml" --to "$rx_ip" --port 16550 \
  --count "$seconds"
wait "$receiver_pid"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$(wc -l <"$session_work/expected")" -eq "$total" ] || fail "the dry run printed no $total lines"
cut -f3- "$session_work/received" >"$session_work/payloads"
if ! cmp -s "$session_work/expected" "$session_work/payloads"; then
  fail "received $(wc -l <"$session_work/payloads") datagrams, not as the dry run prints them:"
  diff "$session_work/expected" "$session_work/payloads" | head -n 5
fi
# Line n: second n / (nodes * per_node), node (n mod (nodes * per_node)) / per_node.
awk -F'\t' -v nodes="$nodes" -v per="$per_node" '
  NR == 1 { first = $1 }
  {
    n = NR - 1
    second = int(n / (nodes * per))
    node = int((n % (nodes * per)) / per)
    due = second * 1000 + int(1000 * node / nodes)
    at = ($1 - first) / 1000
    if (at < due - 50 || at > due + 1000) {
      printf "FAIL: datagram %d (node %d, second %d) arrived at %.1f ms, due at %d ms\n", n, node, second, at, due
      bad++
    }
    if (at - due > worst) worst = at - due
  }
  END { printf "largest lag behind the first datagram'"'"'s pace: %.1f ms\n", worst; exit bad > 0 }
' "$session_work/received" || failures=$((failures + 1))

[ "$failures" -eq 0 ] || exit 1
echo "all $total datagrams in order, byte-exact and on time"
