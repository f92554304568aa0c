#!/usr/bin/env bash
# setarome-cli monitor and lint --live as Unix tools, hearing datagrams sent
# between two network namespaces created here (root only; a skip elsewhere):
# - SIGHUP (a closed terminal) ends the monitor as SIGTERM does: every
#   datagram heard is in the capture, and the summary is printed;
# - a reader of its output that goes away (`| head`) ends it quietly, with
#   exit status 0 and the capture written;
# - a port held by a socket that does not share it is a system failure:
#   exit status 1 and the system's own words.
#   unix_tool_namespace.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
port=16570
work=$session_work

# send COUNT: COUNT datagrams from tx to the monitor's port.
send() {
  ip netns exec "$tx" bash -c \
    "for i in \$(seq $1); do printf 'datagram %03d' \$i >/dev/udp/$rx_ip/$port; done"
}

# wait_lines FILE COUNT: waits (10 s at most) until FILE has COUNT lines.
wait_lines() {
  for _ in $(seq 200); do
    [ "$(grep -c '' "$1" 2>/dev/null || true)" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

# SIGHUP: the capture is flushed at least every second; the last second's
# lines must not be lost.
ip netns exec "$rx" "$program" monitor --port "$port" --json --capture "$work/hup.jsonl" \
  >"$work/hup.out" 2>"$work/hup.err" &
pid=$!
session_pids+=("$pid")
session_listening "$rx" "$port"
send 100
wait_lines "$work/hup.out" 100 || fail "SIGHUP: heard $(grep -c '' "$work/hup.out") of 100"
kill -HUP "$pid"
status=0; wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "SIGHUP: exit status $status"
[ "$(grep -c '' "$work/hup.jsonl")" -eq 100 ] || fail "SIGHUP: capture of $(grep -c '' "$work/hup.jsonl") lines"
grep -q '^setarome-cli: monitor: received 100, ' "$work/hup.err" || fail "SIGHUP: said $(cat "$work/hup.err")"

# A reader that goes away: the monitor ends at its next write.
mkfifo "$work/pipe"
ip netns exec "$rx" "$program" monitor --port "$port" --json --capture "$work/pipe.jsonl" \
  >"$work/pipe" 2>"$work/pipe.err" &
pid=$!
session_pids+=("$pid")
head -c 300 <"$work/pipe" >"$work/head.out" &
head_pid=$!
session_listening "$rx" "$port"
send 100
wait "$head_pid"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  send 1
  sleep 0.1
done
status=0; wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "closed output: exit status $status"
[ "$(grep -c '' "$work/pipe.jsonl")" -ge 100 ] || fail "closed output: capture of $(grep -c '' "$work/pipe.jsonl") lines"
grep -q '^setarome-cli: monitor: received ' "$work/pipe.err" && [ "$(grep -c '' "$work/pipe.err")" -eq 1 ] ||
  fail "closed output: said $(cat "$work/pipe.err")"

# A port held without sharing it.
ip netns exec "$rx" python3 -c "import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(('0.0.0.0', $port))
time.sleep(60)" &
session_pids+=($!)
session_listening "$rx" "$port"
for command in "monitor" "lint --live"; do
  status=0
  # shellcheck disable=SC2086
  ip netns exec "$rx" "$program" $command --port "$port" --duration 5 >/dev/null 2>"$work/busy.err" || status=$?
  [ "$status" -eq 1 ] || fail "$command on a busy port: exit status $status"
  [ "$(cat "$work/busy.err")" = "setarome-cli: ${command% *}: port $port: Address already in use (port $port is held by a socket that does not share it)" ] ||
    fail "$command on a busy port: said $(cat "$work/busy.err")"
done

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "unix tool in namespaces: HUP keeps the capture, a closed output ends quietly, busy ports are system failures"
