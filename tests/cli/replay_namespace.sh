#!/usr/bin/env bash
# setarome-cli replay sending for real, from a network namespace ("tx")
# joined by a veth pair to a receiving one ("rx"), both created here and
# removed on exit. The capture is made here: a station's dry run (and one
# Shift-JIS datagram) with known receive times.
# - each datagram arrives unchanged, in order, at the port it was captured on,
#   with the captured gaps to within 50 ms (kernel receive times): a bound no
#   load on the machine reaches, still far below the capture's gaps; the
#   largest error is printed as a figure (bench/ measures it precisely);
# - --speed 4 divides the gaps; --as-fast-as-possible sends them back to back;
# - sends that fail (a namespace with no network): each reported, the replay
#   goes on, exit status 1;
# - SIGTERM ends a replay at once with exit status 0.
#   replay_namespace.sh PROGRAM RECEIVER SCENARIO_DIR
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
printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="Memo" room="1" region="1" order="1" priority="29">\x82\xa0</DATA><IP>10.0.0.1</IP></UECS>\n' >"$work/station.out"
"$program" station "$scenarios/rain-shower.toml" --count 8 --speed 30 --dry-run >>"$work/station.out"
# Milliseconds after the first; the fourth datagram goes to the second port.
offsets=(0 40 41 300 301.5 750 1200 1210 2000 2001)
second_port_index=3
# capture PORT_A PORT_B: the capture file; the expected payloads, all and per
# port, and the offsets of PORT_A's.
capture() {
  local index=0 line ms port
  : >"$work/expected.a"; : >"$work/expected.b"; : >"$work/offsets.a"; : >"$work/expected.all"
  while IFS= read -r line && [ "$index" -lt "${#offsets[@]}" ]; do
    ms=${offsets[$index]}
    printf '%s\n' "$line" >>"$work/expected.all"
    port=$1
    if [ "$index" -eq "$second_port_index" ]; then
      port=$2
      printf '%s\n' "$line" >>"$work/expected.b"
    else
      printf '%s\n' "$line" >>"$work/expected.a"
      echo "$ms" >>"$work/offsets.a"
    fi
    micros=$(awk -v ms="$ms" 'BEGIN { printf "%d", ms * 1000 }')
    printf '{"time":"2026-12-08T23:10:%02d.%06d+09:00","source":"10.0.0.9","source_port":16520,"port":%d,"bytes":"%s"}\n' \
      $((micros / 1000000)) $((micros % 1000000)) "$port" "$(printf '%s' "$line" | base64 -w0)"
    index=$((index + 1))
  done <"$work/station.out"
}
capture 16550 16551 >"$work/capture.jsonl"
records=$(wc -l <"$work/capture.jsonl")
[ "$records" -eq "${#offsets[@]}" ] || fail "capture: $records records, expected ${#offsets[@]}"

# receive NAME PORT COUNT: in the receiving namespace, kernel-timestamped.
receive() {
  ip netns exec "$rx" "$receiver" "$2" "$3" 10000 >"$work/$1.received" &
  session_pids+=($!)
  eval "$1_receiver=$!"
}
# replay NAME OPTIONS...: in the sending namespace; sets $pid. At a real-time
# priority, so that other load on the machine does not count in the gaps.
replay() {
  local name=$1
  shift
  ip netns exec "$tx" "${realtime[@]}" "$program" replay "$work/capture.jsonl" --interface vtx "$@" \
    >"$work/$name.out" 2>&1 &
  pid=$!
  session_pids+=("$pid")
}

# The original timing and the ports of the capture; --speed 4 and
# --as-fast-as-possible to ports of their own.
receive timed 16550 9
receive timed_b 16551 1
receive fast 16560 10
receive burst 16561 10
receive looped 16562 $((2 * records))
session_listening "$rx" 16550 16551 16560 16561 16562
# Those that measure nothing first, so that their start-up does not delay
# the measured ones; then each measured replay alone.
replay burst --as-fast-as-possible --port 16561; burst_pid=$pid
replay looped --as-fast-as-possible --port 16562 --loop 2; looped_pid=$pid
unshare -n "$program" replay "$work/capture.jsonl" --to 192.0.2.1 --as-fast-as-possible \
  >"$work/unreachable.out" 2>"$work/unreachable.err" &
unreachable_pid=$!
replay sigterm --port 16570 --speed 0.01; sigterm_pid=$pid
# ended NAME PID EXPECTED_STATUS
ended() {
  local status=0
  wait "$2" || status=$?
  [ "$status" -eq "$3" ] || fail "$1: exit status $status, expected $3: $(cat "$work/$1.out")"
}
ended burst "$burst_pid" 0
ended unreachable "$unreachable_pid" 1
ended looped "$looped_pid" 0
grep -q "^setarome-cli: replay: $((2 * records)) datagrams sent ([0-9]* bytes), 0 failed, 2 rounds, in " "$work/looped.out" ||
  fail "--loop 2: the summary: $(cat "$work/looped.out")"
grep -q "^setarome-cli: replay: 0 datagrams sent (0 bytes), $records failed, 1 round, in " "$work/unreachable.err" ||
  fail "unreachable: the summary: $(cat "$work/unreachable.err")"
replay timed; ended timed "$pid" 0
replay fast --speed 4 --port 16560; ended fast "$pid" 0
signalled=$(now_ms)
kill -TERM "$sigterm_pid"
status=0; wait "$sigterm_pid" || status=$?
ended=$(($(now_ms) - signalled))
[ "$status" -eq 0 ] || fail "SIGTERM: exit status $status"
# At this speed its replay lasts 200 s.
[ "$ended" -lt 3000 ] || fail "SIGTERM: ended after $ended ms"
[ "$(grep -c 'Network is unreachable' "$work/unreachable.err")" -eq "$records" ] ||
  fail "unreachable: every datagram reported: $(cat "$work/unreachable.err")"

for name in timed timed_b fast burst looped; do
  receiver_var=${name}_receiver
  wait "${!receiver_var}" || true
done
cut -f3- "$work/timed.received" | cmp -s - "$work/expected.a" || fail "timed: datagrams differ"
cut -f3- "$work/timed_b.received" | cmp -s - "$work/expected.b" || fail "timed: second port differs"
for name in fast burst; do
  cut -f3- "$work/$name.received" | cmp -s - "$work/expected.all" || fail "$name: datagrams differ"
done
cut -f3- "$work/looped.received" | cmp -s - <(cat "$work/expected.all" "$work/expected.all") ||
  fail "--loop 2: datagrams differ"

# check_gaps NAME OFFSETS_FILE DIVISOR: every arrival, after the first, at
# its captured offset divided by the speed, to within 50 ms; prints the
# largest error.
check_gaps() {
  paste <(cut -f1 "$work/$1.received") "$2" | awk -F'\t' -v divisor="$3" -v name="$1" '
    NR == 1 { t0 = $1 }
    { got = ($1 - t0) / 1000; want = $2 / divisor; off = got - want
      size = off < 0 ? -off : off; if (size > worst) worst = size
      if (off < -50 || off > 50) { printf "%s: datagram %d at %.3f ms, expected %.3f\n", name, NR, got, want; bad = 1 } }
    END { printf "%s: largest gap error %.3f ms\n", name, worst; exit bad }'
}
check_gaps timed "$work/offsets.a" 1 || fail "timed: gaps"
printf '%s\n' "${offsets[@]}" >"$work/offsets.all"
check_gaps fast "$work/offsets.all" 4 || fail "--speed 4: gaps"
burst_span=$(awk -F'\t' 'NR == 1 { t0 = $1 } END { print int(($1 - t0) / 1000) }' "$work/burst.received")
# The captured span is 2001 ms.
[ "$burst_span" -lt 1000 ] || fail "--as-fast-as-possible: $burst_span ms from the first to the last"

if [ "$failures" -ne 0 ]; then
  for f in "$work"/*.received; do echo "--- $f"; cat "$f"; done
  exit 1
fi
echo "replay namespace: $records datagrams byte-exact, in order, on their captured gaps"
