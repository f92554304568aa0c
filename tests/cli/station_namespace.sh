#!/usr/bin/env bash
# setarome-cli station sending for real, from a network namespace ("tx")
# joined by a veth pair to a receiving one ("rx"), both created here and
# removed on exit. The runs go in parallel, each to a port of its own (5 s):
# - the rain shower (its rain at 60 s, 30 times faster: second 2) and the
#   full weather station arrive byte-exact as their dry runs print them, with
#   the address of --interface in <IP>;
# - the shower's intervals and offsets: "cnd" every second, the 10-second
#   CCMs at (last octet + index) mod 10, the rain's change at once;
# - SIGTERM ends a run at once with exit status 0;
# - sends that fail (a namespace with no network at all): each on standard
#   error, and exit status 1 at the end.
#   station_namespace.sh PROGRAM RECEIVER SCENARIO_DIR
set -euo pipefail
program=$1
receiver=$2
scenarios=$3
source "$(dirname "$0")/../app/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

receive() {
  ip netns exec "$rx" "$receiver" "$2" "$3" 5000 >"$session_work/$1.received" &
  session_pids+=($!)
}
# station NAME SCENARIO OPTIONS...: a run in the sending namespace; sets $pid.
station() {
  local name=$1 file=$scenarios/$2
  shift 2
  ip netns exec "$tx" "$program" station "$file" --interface vtx "$@" >"$session_work/$name.out" 2>&1 &
  pid=$!
  session_pids+=("$pid")
}

# The shower sends 7 datagrams in 4 s (checked below); the full station's
# count is not known in advance: its receiver stops at its time-out.
receive shower 16540 7
receive full 16541 1000
receive sigterm 16542 1
session_listening "$rx" 16540 16541 16542
station shower rain-shower.toml --count 4 --speed 30 --port 16540; shower_pid=$pid
station full weather-station.toml --count 3 --speed 60 --port 16541; full_pid=$pid
# One CCM a minute: an end within seconds of the signal is the signal's doing,
# not the next send's wake-up.
cat >"$session_work/minutely.toml" <<'EOF2'
[[node]]
address = "auto"
condition = false
answer_scans = false
[[node.ccm]]
type = "InAirTemp"
level = "A-1M-0"
generator = { kind = "constant", value = 20 }
EOF2
ip netns exec "$tx" "$program" station "$session_work/minutely.toml" --interface vtx --port 16542 \
  >"$session_work/sigterm.out" 2>&1 &
sigterm_pid=$!
session_pids+=("$sigterm_pid")
station shower.expected rain-shower.toml --count 4 --speed 30 --dry-run; shower_dry_pid=$pid
station full.expected weather-station.toml --count 3 --speed 60 --dry-run; full_dry_pid=$pid

unshare -n "$program" station "$scenarios/rain-shower.toml" --count 2 --to 192.0.2.1 \
  >"$session_work/unreachable.out" 2>"$session_work/unreachable.err" &
unreachable_pid=$!

for _ in $(seq 40); do
  [ -s "$session_work/sigterm.received" ] && break
  sleep 0.05
done
kill -TERM "$sigterm_pid"
signalled=$(now_ms)
status=0; wait "$sigterm_pid" || status=$?
ended=$(($(now_ms) - signalled))
[ "$status" -eq 0 ] || fail "SIGTERM: exit status $status"
[ "$ended" -lt 10000 ] || fail "SIGTERM: ended after $ended ms"
echo "SIGTERM: the station ended $ended ms after the signal"

for name in shower full shower_dry full_dry; do
  pid_var=${name}_pid
  status=0; wait "${!pid_var}" || status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$session_work/$name.out")"
done
status=0; wait "$unreachable_pid" || status=$?
[ "$status" -eq 1 ] || fail "unreachable: exit status $status, expected 1"
# One line per datagram: "cnd" twice, and any CCM due in those seconds.
unreachable_line='^setarome-cli: station: [0-9.]+ [A-Za-z]+: Network is unreachable$'
[ "$(grep -cE "$unreachable_line" "$session_work/unreachable.err")" -eq "$(wc -l <"$session_work/unreachable.err")" ] &&
  [ "$(grep -c ' cnd: ' "$session_work/unreachable.err")" -eq 2 ] ||
  fail "unreachable: $(cat "$session_work/unreachable.err")"
for name in shower full; do
  [ ! -s "$session_work/$name.out" ] || fail "$name: wrote $(cat "$session_work/$name.out")"
done

wait "${session_pids[0]}" "${session_pids[1]}" || true
for name in shower full; do
  cut -f3- "$session_work/$name.received" >"$session_work/$name.payloads"
  cmp -s "$session_work/$name.payloads" "$session_work/$name.expected.out" || {
    fail "$name: received datagrams differ from the dry run"
    diff "$session_work/$name.expected.out" "$session_work/$name.payloads" || true
  }
done
grep -q "<IP>$tx_ip</IP>" "$session_work/shower.payloads" || fail "shower: <IP> is not vtx's address"

# Arrival of each datagram in ms after the first, with its type and value.
arrivals() {
  awk -F'\t' 'NR == 1 { t0 = int($1) } {
    match($3, /type="[^"]+"/); type = substr($3, RSTART + 6, RLENGTH - 7)
    match($3, />[^<]*<\/DATA>/); value = substr($3, RSTART + 1, RLENGTH - 8)
    print int($1) - t0, type, value }' "$session_work/$1.received"
}
octet=${tx_ip##*.}
# (octet + index) mod 10: the second of WRainfall (index 0) and WAirHumid (1).
rain_second=$(((octet + 0) % 10))
humid_second=$(((octet + 1) % 10))
expected_sends="0 cnd"
for second in 1 2 3; do
  expected_sends+=" $second cnd"
  if [ "$second" -eq "$rain_second" ]; then
    expected_sends+=" $second WRainfall"
  elif [ "$second" -eq 2 ] && [ "$rain_second" -lt 2 ]; then
    # The rain's change at 60 s of generator time goes out at once.
    expected_sends+=" $second WRainfall"
  fi
  if [ "$second" -eq "$humid_second" ]; then expected_sends+=" $second WAirHumid"; fi
done
seen_sends=""
while read -r ms type value; do
  second=$(( (ms + 500) / 1000 ))
  offset=$(( ms - second * 1000 ))
  # Generous: half a second would put it in the wrong second.
  [ "${offset#-}" -lt 400 ] || fail "shower: $type $ms ms after the first, $offset ms off second $second"
  seen_sends+="${seen_sends:+ }$second $type"
done < <(arrivals shower)
[ "$seen_sends" = "$expected_sends" ] || fail "shower: sent '$seen_sends', expected '$expected_sends'"

if [ "$failures" -ne 0 ]; then
  for f in "$session_work"/*.received; do echo "--- $f"; cat "$f"; done
  exit 1
fi
echo "station namespace: the scenarios arrived byte-exact, on their seconds, from $tx_ip"
