#!/usr/bin/env bash
# setarome-cli lint --live receiving for real, in a network namespace ("rx")
# joined by a veth pair to a sending one ("tx"), both created here and
# removed on exit. A replay sends a clean data message, one with a departure
# and a CCMSCAN to the discovery port:
# - --scans hears the discovery port too; each finding names the sender's
#   address; --count ends the run; exit status 1 when something was found;
# - --duration ends a run that heard nothing, with exit status 0;
# - --scans with --port 16529 listens to that port once, so each broadcast
#   is linted once.
#   lint_live_namespace.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT
trap 'exit 1' INT TERM

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$session_work

head='<?xml version="1.0"?><UECS ver="1.00-E10">'
data="$head"'<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">23.5</DATA><IP>10.0.0.1</IP></UECS>'
# record MILLISECONDS PORT BYTES
record() {
  printf '{"time":"2026-12-08T23:10:04.%03d000+09:00","source":"10.0.0.1","port":%d,"bytes":"%s"}\n' \
    "$1" "$2" "$(printf '%s' "$3" | base64 -w0)"
}
{
  record 0 16520 "$data"
  record 10 16520 "${data/priority=\"15\"/priority=\"31\"}"
  record 20 16529 "$head<CCMSCAN/></UECS>"$'\n'
} >"$work/capture.jsonl"

# replayed FILE: plays a capture to the broadcast address from "tx".
replayed() {
  ip netns exec "$tx" "$program" replay "$1" --interface vtx >"$work/replay.out" 2>&1 ||
    fail "replay: $(cat "$work/replay.out")"
}
# finished PID: sets $status to the exit status of a run that has its datagrams.
finished() {
  status=0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  wait "$1" || status=$?
}

ip netns exec "$rx" "$program" lint --live --scans --count 3 >"$work/live.out" 2>"$work/live.err" &
live_pid=$!
session_pids+=("$live_pid")
ip netns exec "$rx" "$program" lint --live --port 16590 --duration 1 >"$work/quiet.out" 2>"$work/quiet.err" &
quiet_pid=$!
session_pids+=("$quiet_pid")
session_listening "$rx" 16520 16521 16529 16590
replayed "$work/capture.jsonl"
finished "$live_pid"
[ "$status" -eq 1 ] || fail "live: exit status $status, expected 1: $(cat "$work/live.err")"
expected="$tx_ip: data: out-of-range: priority \"31\" is outside 0..30
$tx_ip: ccmscan: trailing-line-break: a line break after the message"
# Each live finding carries its receive time.
time='[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{6}[+-][0-9]{2}:[0-9]{2} '
[ "$(grep -cE "^$time" "$work/live.out")" -eq 2 ] &&
  [ "$(sed -E "s/^$time//" "$work/live.out")" = "$expected" ] ||
  fail "live: wrote '$(cat "$work/live.out")'"
[ "$(cat "$work/live.err")" = "setarome-cli: lint: 3 messages, 2 with findings (2 findings)" ] ||
  fail "live: said '$(cat "$work/live.err")'"

# Two broadcasts to 16529; with the port bound twice the first alone would
# reach --count 2.
{
  record 0 16529 "$head<CCMSCAN/></UECS>"$'\n'
  record 10 16529 "$head<CCMSCAN/></UECS>"
} >"$work/scans.jsonl"
ip netns exec "$rx" "$program" lint --live --scans --port 16529 --count 2 >"$work/once.out" 2>"$work/once.err" &
once_pid=$!
session_pids+=("$once_pid")
session_listening "$rx" 16521 16529
replayed "$work/scans.jsonl"
finished "$once_pid"
[ "$status" -eq 1 ] || fail "--port 16529: exit status $status, expected 1: $(cat "$work/once.err")"
[ "$(cut -d' ' -f2- "$work/once.out")" = "$tx_ip: ccmscan: trailing-line-break: a line break after the message" ] ||
  fail "--port 16529: wrote '$(cat "$work/once.out")'"
[ "$(cat "$work/once.err")" = "setarome-cli: lint: 2 messages, 1 with findings (1 finding)" ] ||
  fail "--port 16529: said '$(cat "$work/once.err")'"

status=0; wait "$quiet_pid" || status=$?
[ "$status" -eq 0 ] || fail "--duration: exit status $status"
[ ! -s "$work/quiet.out" ] || fail "--duration: wrote $(cat "$work/quiet.out")"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "lint live: findings from $tx_ip on the data and discovery ports"
