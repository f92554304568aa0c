#!/usr/bin/env bash
# setarome-cli station without a network:
# - --dry-run writes, byte for byte, each datagram of a scenario in the order
#   and second it goes out: "cnd" each second, 10-second CCMs at their spread
#   second, a B-level CCM on its first value and on an event's change;
# - --json: one object per datagram with its value text and unit;
# - a rain CCM on the walk and square generators sends what `node` sends with
#   the random 2 and periodic sources (both runs in parallel, 5 s);
# - a scenario with an error: its position on standard error, exit status 2,
#   nothing written;
# - systemd is told when the station is ready, then that it stops (a
#   stand-in for its notify socket).
#   station_dry_run.sh PROGRAM NOTIFY_RECEIVER
set -uo pipefail
program=$1
notify_receiver=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cat >"$work/schedule.toml" <<'TOML'
[[node]]
address = "192.0.2.10"
room = 2
[[node.ccm]]
type = "InAirTemp"
cast = 1
generator = { kind = "constant", value = 21.46 }
[[node.ccm]]
type = "InAirHumid"
order = 3
priority = 15
generator = { kind = "constant", value = 64.5 }
[[node.ccm]]
type = "WRainfall"
level = "B-0"
generator = { kind = "constant", value = 0 }
[[event]]
at = 200
ccm = "WRainfall"
value = 1
TOML
cat >"$work/rain.toml" <<'TOML'
[[node]]
address = "192.0.2.1"
condition = false
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "walk", low = 0, high = 1 }
[[node]]
address = "192.0.2.1"
condition = false
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "square", cycle = 5, low = 0, high = 1 }
TOML

"$notify_receiver" "$work/notify" 2 5000 >"$work/notices" 2>"$work/notify.bound" &
notify_pid=$!
for _ in $(seq 100); do [ -s "$work/notify.bound" ] && break; sleep 0.02; done
NOTIFY_SOCKET="$work/notify" "$program" station "$work/schedule.toml" --dry-run --count 3 \
  --speed 100 >"$work/text" 2>"$work/text.err" &
text_pid=$!
"$program" station "$work/schedule.toml" --dry-run --json --count 1 >"$work/json" 2>"$work/json.err" &
json_pid=$!
"$program" station "$work/rain.toml" --dry-run --count 5 >"$work/station.rain" 2>&1 &
station_pid=$!
"$program" node --dry-run --count 5 --interval 1 --source random2 --ip 192.0.2.1 \
  >"$work/node.walk" 2>&1 &
walk_pid=$!
"$program" node --dry-run --count 5 --interval 1 --source periodic --cycle 5 --ip 192.0.2.1 \
  >"$work/node.square" 2>&1 &
square_pid=$!
for pid in $text_pid $json_pid $station_pid $walk_pid $square_pid; do
  wait "$pid" || fail "a run ended with exit status $?"
done

message() {
  printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="%s" room="2" region="1" order="%s" priority="%s">%s</DATA><IP>192.0.2.10</IP></UECS>\n' "$@"
}
{
  # Second 0: 10 + 0 is InAirTemp's second; the B level sends its first value.
  message cnd 1 29 0; message InAirTemp 1 29 21.5; message WRainfall 1 29 0
  # Second 1: 10 + 1 is InAirHumid's, its half rounded away from zero.
  message cnd 1 29 0; message InAirHumid 3 15 65
  # Second 2: the event, at 200 s of generator time 100 times faster.
  message cnd 1 29 0; message WRainfall 1 29 1
} >"$work/text.expected"
cmp -s "$work/text" "$work/text.expected" || {
  fail "dry-run output differs"
  diff "$work/text.expected" "$work/text"
}
temp=$(sed -n 2p "$work/json" | sed -E 's/"time":"[^"]+"/"time":"T"/')
[ "$temp" = '{"dry_run":true,"ip":"192.0.2.10","message":"<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"InAirTemp\" room=\"2\" region=\"1\" order=\"1\" priority=\"29\">21.5</DATA><IP>192.0.2.10</IP></UECS>","sent":false,"time":"T","type":"InAirTemp","unit":"","value":"21.5"}' ] ||
  fail "JSON line $temp"
[ "$(wc -l <"$work/json")" -eq 3 ] || fail "JSON: $(wc -l <"$work/json") lines for second 0"

# The station's two nodes alternate; each must match its node run.
datagrams() { grep '^<?xml' "$1"; }
[ "$(sed -n 'p;n' "$work/station.rain")" = "$(datagrams "$work/node.walk")" ] ||
  fail "walk differs from the node's random 2: $(sed -n 'p;n' "$work/station.rain" | grep -o '>[01]<' | paste -sd' ')"
[ "$(sed -n 'n;p' "$work/station.rain")" = "$(datagrams "$work/node.square")" ] ||
  fail "square differs from the node's periodic source"
[ "$(datagrams "$work/node.square" | grep -o '>[01]<' | paste -sd' ')" = ">1< >0< >0< >0< >1<" ] ||
  fail "the node's periodic source sent $(datagrams "$work/node.square" | grep -o '>[01]<' | paste -sd' ')"

printf '[[node]]\n[[node.ccm]]\ntype = "T"\nlevel = "A-2S-0"\n' >"$work/bad.toml"
status=0
"$program" station "$work/bad.toml" --dry-run >"$work/bad.out" 2>"$work/bad.err" || status=$?
[ "$status" -eq 2 ] || fail "bad scenario: exit status $status"
[ ! -s "$work/bad.out" ] || fail "bad scenario: wrote $(cat "$work/bad.out")"
[ "$(cat "$work/bad.err")" = "setarome-cli: $work/bad.toml:4:9: level must be A-1S-0, A-1S-1, A-10S-0, A-10S-1, A-1M-0, A-1M-1, B-0, B-1, S-1S-0 or S-1M-0, got 'A-2S-0'" ] ||
  fail "bad scenario: $(cat "$work/bad.err")"
# A key of 40 000 parts once overflowed the TOML library's stack.
{ printf 'seed = 1\n[a'; for _ in $(seq 40000); do printf '.b'; done; printf ']\n'; } >"$work/deep.toml"
status=0
"$program" station "$work/deep.toml" --dry-run >"$work/deep.out" 2>"$work/deep.err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$work/deep.out" ] &&
  [ "$(cat "$work/deep.err")" = "setarome-cli: $work/deep.toml:2:2: a key of more than 64 parts" ] ||
  fail "deep key: exit status $status, $(head -c 300 "$work/deep.err")"
status=0
"$program" station "$work/schedule.toml" --dry-run --duration 5x 2>"$work/duration.err" || status=$?
[ "$status" -eq 2 ] && grep -q "^setarome-cli: station: --duration: 5x" "$work/duration.err" ||
  fail "--duration 5x: exit status $status, $(cat "$work/duration.err")"

wait "$notify_pid"
[ "$(paste -sd' ' "$work/notices")" = "READY=1 STOPPING=1" ] ||
  fail "systemd was told '$(paste -sd' ' "$work/notices")'"
status=0
"$program" station "$work/schedule.toml" --dry-run --speed 0 2>"$work/speed.err" || status=$?
[ "$status" -eq 2 ] && [ "$(cat "$work/speed.err")" = "setarome-cli: station: --speed: 0 is out of range 0.001..100000" ] ||
  fail "--speed 0: exit status $status, $(cat "$work/speed.err")"
status=0
"$program" station "$work/schedule.toml" --dry-run --scan-reply-bytes 100 2>"$work/reply.err" || status=$?
[ "$status" -eq 2 ] && [ "$(cat "$work/reply.err")" = "setarome-cli: station: --scan-reply-bytes: 100 is out of range 1024..67108864" ] ||
  fail "--scan-reply-bytes 100: exit status $status, $(cat "$work/reply.err")"

# A stall: the process stopped for 2.5 s sends each node's current value at
# its next turn, and tells the skipped sends once (here as a JSON object).
"$program" station "$work/schedule.toml" --dry-run --json --duration 60 >"$work/stall.out" 2>&1 &
stall_pid=$!
for _ in $(seq 600); do [ -s "$work/stall.out" ] && break; sleep 0.05; done
kill -STOP "$stall_pid"
sleep 2.5
kill -CONT "$stall_pid"
for _ in $(seq 600); do grep -q '"skipped"' "$work/stall.out" && break; sleep 0.05; done
kill -TERM "$stall_pid"
wait "$stall_pid" || fail "stall: exit status $?"
grep '"skipped"' "$work/stall.out" | python3 -c '
import json, sys
lines = [json.loads(line) for line in sys.stdin]
sys.exit(not (len(lines) == 1 and lines[0]["skipped"] >= 1 and lines[0]["late"] >= 1))' ||
  fail "stall: $(grep -v '"message"' "$work/stall.out")"

for err in "$work/text.err" "$work/json.err"; do
  [ ! -s "$err" ] || fail "wrote to standard error: $(cat "$err")"
done
[ "$failures" -eq 0 ] || exit 1
echo "station dry run: every datagram as expected, the rain node's sequence, errors refused"
