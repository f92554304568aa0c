#!/usr/bin/env bash
# A station's traffic captured and replayed, for real, between a network
# namespace ("tx") and a second ("rx") joined by a veth pair, both created
# here and removed on exit: the station sends from tx for 3 s while monitor
# --capture hears it in rx (kernel receive times); then replay sends that
# capture from tx and a kernel-timestamping receiver in rx takes it. The
# same datagrams arrive in the same order with the same gaps, to within
# 50 ms (the monitor's own kernel receive times against the receiver's): a
# bound no load on the machine reaches, still far below the capture's gaps.
# The worst gap error is printed as a figure; bench/ measures it precisely.
# A second monitor captures the same traffic as pcap: tshark opens it, it
# holds every datagram with its time, addresses and ports, it replays the
# same way, and pcap -> JSON lines -> pcap gives back the same file.
#   replay_station_namespace.sh PROGRAM RECEIVER SCENARIO_DIR
set -euo pipefail
program=$1
receiver=$2
scenarios=$3
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT
trap 'exit 1' INT TERM

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$session_work
# Real-time priority for the measured replays where the system grants it.
realtime=(env)
if chrt -f 10 true 2>/dev/null; then realtime=(chrt -f 10); fi
port=16580

ip netns exec "$rx" "$program" monitor --port "$port" --json --capture "$work/capture.jsonl" \
  >/dev/null 2>"$work/monitor.err" &
monitor_pid=$!
session_pids+=("$monitor_pid")
ip netns exec "$rx" "$program" monitor --port "$port" --json --capture "$work/capture.pcap" \
  >/dev/null 2>"$work/monitor-pcap.err" &
pcap_pid=$!
session_pids+=("$pcap_pid")
session_listening "$rx" "$port"
ip netns exec "$tx" "$program" station "$scenarios/weather-station.toml" --interface vtx \
  --port "$port" --count 3 --speed 60 --json >"$work/station.out" 2>"$work/station.err" ||
  fail "station: $(cat "$work/station.err")"
sent=$(grep -c '"sent":true' "$work/station.out" || true)
# The monitor writes its capture in batches: wait (30 s at most) until it
# holds every datagram sent.
for _ in $(seq 600); do
  [ "$(wc -l <"$work/capture.jsonl" 2>/dev/null || echo 0)" -ge "$sent" ] && break
  sleep 0.05
done
# The pcap file's size once it holds them all: a file header, then a record
# header, 28 bytes of IPv4 and UDP headers and the bytes of each.
pcap_bytes=$(python3 -c 'import json,sys; print(24 + sum(44 + json.loads(l)["size"] for l in open(sys.argv[1])))' \
  "$work/capture.jsonl")
for _ in $(seq 600); do
  [ "$(stat -c %s "$work/capture.pcap" 2>/dev/null || echo 0)" -ge "$pcap_bytes" ] && break
  sleep 0.05
done
kill -TERM "$monitor_pid" "$pcap_pid"
wait "$monitor_pid" || fail "monitor: $(cat "$work/monitor.err")"
wait "$pcap_pid" || fail "monitor (pcap): $(cat "$work/monitor-pcap.err")"
records=$(wc -l <"$work/capture.jsonl")
[ "$sent" -ge 5 ] || fail "station: only $sent datagrams sent"
[ "$records" -eq "$sent" ] || fail "capture: $records datagrams of the $sent sent"
shark=$(tshark -r "$work/capture.pcap" -T fields -e udp.dstport 2>/dev/null | grep -c "^$port\$" || true)
[ "$shark" -eq "$records" ] || fail "tshark reads $shark datagrams of the $records in the pcap capture"
"$program" convert "$work/capture.pcap" "$work/from-pcap.jsonl" --port "$port" ||
  fail "convert from pcap"
"$program" convert "$work/from-pcap.jsonl" "$work/again.pcap" || fail "convert to pcap"
cmp -s "$work/capture.pcap" "$work/again.pcap" || fail "pcap -> JSON lines -> pcap changed the file"
python3 - "$work/capture.jsonl" "$work/from-pcap.jsonl" <<'PY' || fail "the pcap capture differs from the JSON lines"
import json, sys
keys = ("time", "source", "source_port", "destination", "port", "bytes")
lines = [[{k: json.loads(l).get(k) for k in keys} for l in open(name)] for name in sys.argv[1:]]
if lines[0] != lines[1]:
    sys.exit("records differ")
if any(record["destination"] is None for record in lines[1]):
    sys.exit("a record without its destination")
PY

# Replays capture $1 (options after it) into a receiver in rx and checks the
# bytes and gaps against the JSON lines capture.
replay_and_compare() {
  ip netns exec "$rx" "$receiver" "$port" "$records" 15000 >"$work/received" &
  receiver_pid=$!
  session_pids+=("$receiver_pid")
  session_listening "$rx" "$port"
  # At a real-time priority, so that other load on the machine does not count
  # in the gaps.
  ip netns exec "$tx" "${realtime[@]}" "$program" replay "$1" --interface vtx "${@:2}" \
    >"$work/replay.out" 2>&1 ||
    fail "replay of $1: $(cat "$work/replay.out")"
  wait "$receiver_pid" || true

  # The capture's bytes and times (microseconds since the epoch) per line.
  python3 - "$work/capture.jsonl" "$work/received" <<'PY' || fail "replayed traffic of $1 differs from the capture"
import base64, datetime, json, sys
captured = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
received = [line.rstrip(b"\n").split(b"\t", 2) for line in open(sys.argv[2], "rb")]
def micros(text):
    return int(datetime.datetime.fromisoformat(text).timestamp() * 1_000_000 + 0.5)
if len(received) != len(captured):
    sys.exit(f"{len(received)} datagrams arrived, {len(captured)} were captured")
t0, r0 = micros(captured[0]["time"]), int(received[0][0])
worst = 0
for index, (record, (at, size, payload)) in enumerate(zip(captured, received)):
    if base64.b64decode(record["bytes"]) != payload:
        sys.exit(f"datagram {index + 1}: {payload!r} instead of the captured bytes")
    off = (int(at) - r0) - (micros(record["time"]) - t0)
    worst = max(worst, abs(off))
    if abs(off) > 50_000:
        sys.exit(f"datagram {index + 1}: {off / 1000:.3f} ms off its captured gap")
print(f"{len(captured)} datagrams, worst gap error {worst / 1000:.3f} ms")
PY
}

replay_and_compare "$work/capture.jsonl"
replay_and_compare "$work/capture.pcap" --port "$port"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "replay of a station's capture (JSON lines and pcap): $records datagrams in order, byte-exact, gaps within 50 ms"
