#!/usr/bin/env bash
# setarome-cli node sending for real, inside a network namespace ("tx")
# joined by a veth pair to a receiving one ("rx"), both created here and
# removed on exit. The runs go in parallel, each to a port of its own, so the
# whole test takes about five one-second ticks:
# - the default message, exactly, from the namespace's own address, with the
#   log lines on standard output and exit status 0 after --count;
# - each source's first values, as the window gives them;
# - a file played to its end ("ファイル終了", the stop, exit status 0);
# - a unicast --to, and --interface (its address in <IP>);
# - SIGTERM: the stop line at once and exit status 0;
# - a send that fails (a namespace with no network at all): the error in the
#   JSON tick, and exit status 1 after --count.
#   cli_namespace.sh PROGRAM RECEIVER
set -euo pipefail
program=$1
receiver=$2
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# receive NAME PORT COUNT: datagrams on the port, in the receiving namespace.
receivers=()
receive() {
  ip netns exec "$rx" "$receiver" "$2" "$3" 30000 >"$session_work/$1.received" &
  session_pids+=($!)
  receivers+=($!)
}
# run NAME PORT OPTIONS...: the program in the sending namespace; sets $pid.
run() {
  local name=$1 port=$2
  shift 2
  ip netns exec "$tx" "$program" node --interval 1 --port "$port" "$@" \
    >"$session_work/$name.out" 2>"$session_work/$name.err" &
  pid=$!
  session_pids+=("$pid")
}
# The rain indications received for a run, one per line.
indications() { sed -E 's/.*">([01])<\/DATA>.*/\1/' "$session_work/$1.received" | paste -sd' '; }

receive default 16530 2
receive rain_on 16531 3
receive periodic 16532 5
receive random 16533 3
receive random2 16534 3
receive file_end 16535 3
receive file_loop 16536 5
receive unicast 16537 1
receive interface 16538 1
session_listening "$rx" $(seq 16530 16538)

declare -A pids
run default 16530 --count 2; pids[default]=$pid
run rain_on 16531 --count 3 --rain on; pids[rain_on]=$pid
run periodic 16532 --count 5 --source periodic --cycle 5; pids[periodic]=$pid
run random 16533 --count 3 --source random; pids[random]=$pid
run random2 16534 --count 3 --source random2; pids[random2]=$pid
printf '1\n0\n1\n' >"$session_work/play.txt"
run file_end 16535 --source file --file "$session_work/play.txt"; pids[file_end]=$pid
run file_loop 16536 --count 5 --source file --file "$session_work/play.txt" --loop; pids[file_loop]=$pid
run unicast 16537 --count 1 --to "$rx_ip"; pids[unicast]=$pid
run interface 16538 --count 1 --interface vtx; pids[interface]=$pid
# Its next tick is a minute away: an end within seconds is the signal's doing.
ip netns exec "$tx" "$program" node --interval 60 --port 16539 \
  >"$session_work/sigterm.out" 2>"$session_work/sigterm.err" &
sigterm_pid=$!
session_pids+=("$sigterm_pid")
unshare -n "$program" node --interval 1 --count 1 --json --ip 192.0.2.1 \
  >"$session_work/unreachable.out" 2>&1 &
unreachable_pid=$!

# SIGTERM once the node has started. Where the host name does not resolve
# (no hosts entry) the start-up lookup waits for the resolver first.
for _ in $(seq 300); do
  grep -q "送信開始" "$session_work/sigterm.out" && break
  sleep 0.05
done
grep -q "送信開始" "$session_work/sigterm.out" || fail "SIGTERM: the node did not start within 15 s"
kill -TERM "$sigterm_pid"
signalled=$(now_ms)
status=0; wait "$sigterm_pid" || status=$?
ended=$(($(now_ms) - signalled))
[ "$status" -eq 0 ] || fail "SIGTERM: exit status $status"
[ "$ended" -lt 10000 ] || fail "SIGTERM: ended after $ended ms"
echo "SIGTERM: the node ended $ended ms after the signal"
[ "$(tail -n1 "$session_work/sigterm.out")" = "送信停止" ] || fail "SIGTERM: no stop line last"

for name in "${!pids[@]}"; do
  status=0; wait "${pids[$name]}" || status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$session_work/$name.err")"
  [ ! -s "$session_work/$name.err" ] || fail "$name: wrote to standard error: $(cat "$session_work/$name.err")"
done

status=0; wait "$unreachable_pid" || status=$?
[ "$status" -eq 1 ] || fail "unreachable: exit status $status, expected 1"
tick=$(sed -n 2p "$session_work/unreachable.out" | sed -E 's/"time":"[^"]+"/"time":"T"/')
message=$(printf '<?xml version=\\"1.0\\"?><UECS ver=\\"1.00-E10\\"><DATA type=\\"WRainfall\\" room=\\"1\\" region=\\"1\\" order=\\"1\\" priority=\\"29\\">0</DATA><IP>192.0.2.1</IP></UECS>')
[ "$tick" = "{\"error\":\"Network is unreachable\",\"message\":\"$message\",\"sent\":false,\"time\":\"T\",\"value\":0}" ] ||
  fail "unreachable: tick $tick"

# Each receiver ends once its count is in (30 s at most).
for pid in "${receivers[@]}"; do wait "$pid" || true; done

expected() {
  printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="1" region="1" order="1" priority="29">%s</DATA><IP>%s</IP></UECS>' "$1" "$tx_ip"
}
text=$(expected 0)
mapfile -t lines <"$session_work/default.received"
[ "${#lines[@]}" -eq 2 ] || fail "default: ${#lines[@]} datagrams, expected 2"
for line in "${lines[@]}"; do
  [ "$(cut -f3- <<<"$line")" = "$text" ] || fail "default: payload $(cut -f3- <<<"$line")"
  [ "$(cut -f2 <<<"$line")" -eq "${#text}" ] || fail "default: datagram length $(cut -f2 <<<"$line")"
done
log=$(sed -E 's/^[0-9]{1,2}:[0-9]{2}:[0-9]{2}( [ap]m)?\t/TIME\t/' "$session_work/default.out")
[ "$log" = "$(printf '送信開始\nTIME\t0\nTIME\t0\n送信停止')" ] || fail "default: log $log"

# The first values of each source, as the node tests of the window give them.
for row in "rain_on:1 1 1" "periodic:1 0 0 0 1" "random:0 1 1" "random2:1 1 1" \
  "file_end:1 0 1" "file_loop:1 0 1 1 0" "unicast:0" "interface:0"; do
  name=${row%%:*}
  [ "$(indications "$name")" = "${row#*:}" ] || fail "$name: received '$(indications "$name")', expected '${row#*:}'"
done
[ "$(tail -n2 "$session_work/file_end.out" | paste -sd' ')" = "ファイル終了 送信停止" ] ||
  fail "file_end: the log ends with '$(tail -n2 "$session_work/file_end.out" | paste -sd' ')'"
grep -q "<IP>$tx_ip</IP>" "$session_work/interface.received" || fail "interface: <IP> is not vtx's address"

if [ "$failures" -ne 0 ]; then
  for f in "$session_work"/*.out "$session_work"/*.received; do echo "--- $f"; cat "$f"; done
  exit 1
fi
echo "namespace: every run sent what the window sends, from $tx_ip"
