#!/usr/bin/env bash
# Scans across a veth pair of network namespaces created here and removed on
# exit: a station answers in "tx", setarome-cli scan asks from "rx".
# - scan --ccms finds exactly the scenario's answering nodes (21 at one
#   address) and every CCM of each, as JSON and as a table, also when asked
#   from the station's own host;
# - SEARCH with wildcards gets one answer per matching CCM;
# - a flood from one address (2000 requests a second for 3 s: NODESCAN,
#   SEARCH, malformed, oversized) gets at most 10 replies a second per node,
#   malformed and oversized ones alone get none, and the data sends go on;
# - node --answer-scans answers for its one CCM;
# - a requester beyond a router gets nothing: only networks directly
#   connected to the arrival interface are answered;
# - another user cannot bind the responder's ports (so cannot take its
#   unicast requests); the same user still can.
#   scan_namespace.sh PROGRAM RECEIVER FLOOD CLAIM
set -euo pipefail
program=$1
receiver=$2
flood=$3
claim=$4
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip
# The scanner broadcasts from rx too.
ip -n "$rx" route add default dev vrx
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scan() { ip netns exec "$rx" "$program" scan "$@"; }

cat >"$session_work/scan.toml" <<'TOML'
[[node]]
address = "10.50.0.1"
repeat = 20
name = "field"
uecsid = "10100C000001"
[[node.ccm]]
type = "WAirTemp"
cast = 1
unit = "C"
generator = { kind = "constant", value = 20 }
[[node.ccm]]
type = "WRainfall"
level = "B-0"
generator = { kind = "constant", value = 0 }
[[node]]
address = "10.60.0.9"
vendor = "ACME"
mac = "02:aa:bb:cc:dd:ee"
condition = false
[[node.ccm]]
type = "InAirTemp"
room = 2
order = 3
priority = 15
level = "A-1M-1"
cast = 2
unit = "C"
generator = { kind = "constant", value = 21 }
[[node.ccm]]
type = "InAirTemp"
room = 3
order = 3
priority = 15
level = "A-1M-1"
cast = 2
unit = "C"
generator = { kind = "constant", value = 22 }
[[node]]
address = "10.70.0.1"
answer_scans = false
[[node.ccm]]
type = "WCO2"
generator = { kind = "constant", value = 400 }
TOML

# A dry run touches no network: it does not even listen.
ip netns exec "$tx" "$program" station "$session_work/scan.toml" --dry-run --count 3 >/dev/null &
dry_pid=$!
session_pids+=("$dry_pid")
sleep 0.5
[ -z "$(ip netns exec "$tx" ss -Hlun 'sport = 16529 or sport = 16521')" ] ||
  fail "station --dry-run listens"
kill "$dry_pid" 2>/dev/null || true
status=0
ip netns exec "$tx" "$program" node --answer-scans --dry-run >/dev/null 2>"$session_work/dry.err" ||
  status=$?
[ "$status" -eq 2 ] &&
  grep -q '^setarome-cli: node: --answer-scans: not with --dry-run: answers are sent$' \
    "$session_work/dry.err" || fail "node --answer-scans --dry-run: $status $(cat "$session_work/dry.err")"

ip netns exec "$tx" "$program" station "$session_work/scan.toml" --interface vtx --port 16540 \
  >"$session_work/station.out" 2>&1 &
station_pid=$!
session_pids+=("$station_pid")
# Answering from the start: the first NODESCAN that gets 21 nodes.
for _ in $(seq 50); do
  [ "$(scan --timeout 0.2 --json 2>/dev/null | wc -l)" -eq 21 ] && break
  sleep 0.1
done

# The expected JSON lines (keys in Qt's order), sorted.
ccm() { printf '{"cast":%s,"level":"%s","order":%s,"priority":%s,"region":1,"room":%s,"sr":"S","type":"%s","unit":"%s"}' "$@"; }
node() { printf '{"address":"%s","ccms":[%s],"complete":true,"ip":"%s","mac":"%s","name":"%s","uecsid":"%s","vendor":"%s"}\n' "$@"; }
field_ccms="$(ccm 0 A-1S-0 1 29 1 cnd ""),$(ccm 1 A-10S-0 1 29 1 WAirTemp C),$(ccm 0 B-0 1 29 1 WRainfall "")"
{
  for octet in $(seq 1 20); do
    node "$tx_ip" "$field_ccms" "10.50.0.$octet" "$(printf '02000A3200%02X' "$octet")" field \
      10100C000001 setarome
  done
  node "$tx_ip" "$(ccm 2 A-1M-1 3 15 2 InAirTemp C),$(ccm 2 A-1M-1 3 15 3 InAirTemp C)" \
    10.60.0.9 02AABBCCDDEE setarome 000000000000 ACME
} | sort >"$session_work/expected.json"

status=0
scan --ccms --json --timeout 1 >"$session_work/scan.json" || status=$?
[ "$status" -eq 0 ] || fail "scan --ccms --json: exit status $status"
sort "$session_work/scan.json" | cmp -s - "$session_work/expected.json" || {
  fail "scan --ccms --json differs from the scenario"
  diff "$session_work/expected.json" <(sort "$session_work/scan.json") || true
}

# Unicast to the station's address, as a table: 21 nodes and 3 + 2 CCMs under them.
scan --ccms --to "$tx_ip" --timeout 1 >"$session_work/scan.txt" || fail "scan --to: exit status $?"
[ "$(grep -c "^$tx_ip " "$session_work/scan.txt")" -eq 21 ] &&
  [ "$(grep -c '^    WAirTemp ' "$session_work/scan.txt")" -eq 20 ] &&
  [ "$(grep -c '^    InAirTemp ' "$session_work/scan.txt")" -eq 2 ] &&
  ! grep -q incomplete "$session_work/scan.txt" || fail "scan table: $(cat "$session_work/scan.txt")"

# From the station's own host: the unicast request reaches the station, not
# a socket of the scanner's on the same port (each try a new source port).
for _ in 1 2 3 4; do
  [ "$(ip netns exec "$tx" "$program" scan --to "$tx_ip" --json --timeout 0.3 | wc -l)" -eq 21 ] ||
    fail "scan from the station's host"
done

# SEARCH: 0 matches any room, region and order; the type must be equal.
search_count() { scan --search "$1" --json --timeout 0.5 2>/dev/null | wc -l; }
[ "$(search_count InAirTemp)" -eq 2 ] || fail "search InAirTemp: not 2 answers"
[ "$(search_count InAirTemp:3:0:3)" -eq 1 ] || fail "search InAirTemp:3:0:3: not 1 answer"
[ "$(search_count InAirTemp:4:0:0)" -eq 0 ] || fail "search InAirTemp:4:0:0: answered"
[ "$(search_count cnd:1:1:1)" -eq 20 ] || fail "search cnd:1:1:1: not 20 answers"
answer=$(scan --search InAirTemp:3:1:3 --json --timeout 0.5)
[ "$answer" = "{\"address\":\"$tx_ip\",\"ip\":\"10.60.0.9\",\"order\":3,\"priority\":15,\"region\":1,\"room\":3,\"type\":\"InAirTemp\"}" ] ||
  fail "search InAirTemp:3:1:3: $answer"
status=0; scan --search WCO2 --timeout 0.5 2>"$session_work/none.err" || status=$?
[ "$status" -eq 1 ] && grep -q '^setarome-cli: scan: nothing answered$' "$session_work/none.err" ||
  fail "search WCO2 (a node that does not answer): exit status $status"

# The flood, with the station's "cnd" sends counted meanwhile: 21 nodes send
# one each second (10.60.0.9 has none).
sleep 1.2 # the budget of the scans above refills
seconds=3
ip netns exec "$rx" "$receiver" 16540 100000 $((seconds * 1000)) >"$session_work/data.received" &
data_pid=$!
session_pids+=("$data_pid")
read -r _ sent _ replies < <(ip netns exec "$rx" "$flood" "$tx_ip" "$seconds" 2000 mixed)
wait "$data_pid" || true
# A full bucket, then the rate, also while the last replies drain (0.3 s).
limit=$((21 * 10 * (seconds + 1) + 21 * 3))
[ "$sent" -eq $((seconds * 2000)) ] || fail "flood: sent $sent"
[ "$replies" -le "$limit" ] || fail "flood: $replies replies, more than $limit"
[ "$replies" -ge $((21 * 10 * seconds / 2)) ] || fail "flood: only $replies replies"
cnd=$(grep -c 'type="cnd"' "$session_work/data.received" || true)
[ "$cnd" -ge $((21 * (seconds - 1))) ] || fail "flood: $cnd cnd sends in $seconds s"
read -r _ _ _ bad_replies < <(ip netns exec "$rx" "$flood" "$tx_ip" 1 2000 bad)
[ "$bad_replies" -eq 0 ] || fail "malformed and oversized requests: $bad_replies replies"
kill -0 "$station_pid" 2>/dev/null || fail "the station ended: $(cat "$session_work/station.out")"
kill -TERM "$station_pid"
wait "$station_pid" || fail "station: exit status $?"

# The rain node with --answer-scans: its one CCM, at its interval's level.
ip netns exec "$tx" "$program" node --answer-scans --interface vtx --port 16541 --room 4 \
  >/dev/null 2>&1 &
node_pid=$!
session_pids+=("$node_pid")
for _ in $(seq 50); do
  scan --ccms --json --timeout 0.2 >"$session_work/node.json" 2>/dev/null && break
  sleep 0.1
done
mac=$(printf '0200%02X%02X%02X%02X' ${tx_ip//./ })
expected=$(node "$tx_ip" "$(ccm 0 A-10S-0 1 29 4 WRainfall "")" "$tx_ip" "$mac" setarome \
  000000000000 setarome)
[ "$(cat "$session_work/node.json")" = "$expected" ] ||
  fail "node --answer-scans: $(cat "$session_work/node.json"), expected $expected"

# Only the same user shares the ports: a socket of uid 65534 that sets both
# reuse options is refused; one of ours (as a scan listening there) is not.
# LeakSanitizer cannot inspect a process that changed its user (it fails at
# exit on some systems), so a sanitized claim runs without the leak check.
claim_env=(ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")
for port in 16529 16521; do
  [ "$(env "${claim_env[@]}" ip netns exec "$tx" "$claim" "$port" 65534)" = "in use" ] ||
    fail "another user's socket bound $port beside the responder"
  [ "$(ip netns exec "$tx" "$claim" "$port" "$(id -u)")" = bound ] ||
    fail "the same user's socket could not share $port"
done

# A requester beyond a router: rx asks from 10.99.0.1, an address of no
# network of tx's, and tx has a route back through rx. Nothing answers.
ip -n "$rx" addr add 10.99.0.1/32 dev vrx
ip -n "$rx" route replace "$tx_ip/32" dev vrx src 10.99.0.1
ip -n "$tx" route add 10.99.0.1/32 via "$rx_ip"
status=0
scan --to "$tx_ip" --timeout 0.5 >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a requester beyond a router: exit status $status"

if [ "$failures" -ne 0 ]; then
  cat "$session_work/station.out"
  exit 1
fi
echo "scan namespace: 21 nodes and their CCMs found; SEARCH answered; a flood of $((seconds * 2000)) requests got $replies replies while $cnd cnd went out"
