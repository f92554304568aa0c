#!/usr/bin/env bash
# monitor --link and lint --live --link see every datagram on the link, for
# real, between two network namespaces created here and removed on exit:
# in rx another program holds the port (so the system hands it every unicast
# datagram, and no socket of ours could share it), while unicast datagrams
# flow from tx. The receiver still gets them all; the monitor and lint in rx
# see them all too, and a monitor in tx sees them going out.
#   monitor_link_namespace.sh PROGRAM RECEIVER
set -euo pipefail
program=$1
receiver=$2
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT
trap 'exit 1' INT TERM

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$session_work
port=16590
count=5
head='<?xml version="1.0"?><UECS ver="1.00-E10">'
for value in $(seq "$count"); do
  data="$head"'<DATA type="InAirTemp" room="1" region="1" order="1" priority="15">'"$value"'</DATA><IP>'"$tx_ip"'</IP></UECS>'
  printf '{"time":"2026-12-08T23:10:0%d.000000+09:00","source":"%s","port":%d,"bytes":"%s"}\n' \
    "$value" "$tx_ip" "$port" "$(printf '%s' "$data" | base64 -w0)"
done >"$work/unicast.jsonl"

# Packet sockets in the namespace that carry their port filter. libpcap binds
# its socket first, then sets a filter that drops everything, throws away
# what has queued, and only then sets the real one: a datagram sent before
# that is lost to the capture, so the sender waits for the real filter (more
# than the one instruction of the drop-all).
packet_sockets() {
  local namespace=$1 wanted=$2
  for _ in $(seq 200); do
    [ "$(ip netns exec "$namespace" ss -H -0 -b | grep -cE 'bpf filter \(([2-9]|[0-9]{2,})\)' || true)" \
      -ge "$wanted" ] && return 0
    sleep 0.05
  done
  fail "$wanted packet sockets not filtering in $namespace after 10 s"
}

ip netns exec "$rx" "$receiver" "$port" "$count" 15000 >"$work/received" &
receiver_pid=$!
session_pids+=("$receiver_pid")
session_listening "$rx" "$port"
run() {
  local name=$1 namespace=$2
  shift 2
  ip netns exec "$namespace" timeout 20 "$program" "$@" --port "$port" --count "$count" --json \
    >"$work/$name.out" 2>"$work/$name.err" &
  session_pids+=($!)
  eval "${name}_pid=$!"
}
run monitor_rx "$rx" monitor --link --interface vrx
run lint_rx "$rx" lint --live --link --interface vrx
run monitor_tx "$tx" monitor --link --interface vtx
packet_sockets "$rx" 2
packet_sockets "$tx" 1
ip netns exec "$tx" "$program" replay "$work/unicast.jsonl" --to "$rx_ip" --port "$port" \
  --as-fast-as-possible >"$work/replay.out" 2>&1 || fail "replay: $(cat "$work/replay.out")"
wait "$receiver_pid" || fail "receiver"
for name in monitor_rx lint_rx monitor_tx; do
  pid_var="${name}_pid"
  wait "${!pid_var}" || fail "$name: exit status $?: $(cat "$work/$name.err")"
done

[ "$(wc -l <"$work/received")" -eq "$count" ] ||
  fail "the receiver holding the port got $(wc -l <"$work/received") of $count"
for name in monitor_rx monitor_tx; do
  python3 - "$work/$name.out" "$count" "$tx_ip" "$rx_ip" "$port" <<'PY' || fail "$name saw other datagrams"
import base64, json, sys
path, count, source, destination, port = sys.argv[1], int(sys.argv[2]), *sys.argv[3:]
lines = [json.loads(line) for line in open(path)]
values = [base64.b64decode(line["bytes"]).split(b">")[3].split(b"<")[0] for line in lines]
if values != [str(v).encode() for v in range(1, count + 1)]:
    sys.exit(f"values {values}")
for line in lines:
    if (line["source"], line["destination"], line["port"]) != (source, destination, int(port)):
        sys.exit(f"addressed {line['source']} -> {line['destination']}:{line['port']}")
PY
done
[ "$(grep -c '"code"' "$work/lint_rx.out" || true)" -eq 0 ] && [ -s "$work/lint_rx.err" ] ||
  fail "lint: $(cat "$work/lint_rx.out" "$work/lint_rx.err")"
grep -q "$count messages" "$work/lint_rx.err" || fail "lint judged: $(cat "$work/lint_rx.err")"

# Without the privilege: refused, saying what is missing. The capability is
# taken from root rather than running as another user, who may not be let
# into the build tree or its libraries at all.
for command in "monitor --link" "lint --live --link"; do
  status=0
  ip netns exec "$rx" setpriv --bounding-set -net_raw --inh-caps -net_raw \
    "$program" $command --interface vrx --count 1 >/dev/null 2>"$work/unprivileged.err" || status=$?
  [ "$status" -eq 1 ] && grep -q "needs CAP_NET_RAW" "$work/unprivileged.err" ||
    fail "$command without CAP_NET_RAW: status $status: $(cat "$work/unprivileged.err")"
done

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "--link: $count unicast datagrams held by another receiver seen in rx and going out of tx"
