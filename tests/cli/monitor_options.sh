#!/usr/bin/env bash
# setarome-cli monitor's options as a user types them: a refused one gives
# exactly one line on standard error, exit status 2 and nothing on standard
# output, before anything is opened; --help names the flags it shows.
#   monitor_options.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Arguments (split on spaces) | the error line.
while IFS='|' read -r arguments expected; do
  # shellcheck disable=SC2086
  "$program" monitor $arguments >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$arguments: exit status $status, expected 2"
  [ ! -s "$work/out" ] || fail "$arguments: wrote to standard output: $(head -c 200 "$work/out")"
  [ "$(cat "$work/err")" = "$expected" ] || fail "$arguments: said '$(cat "$work/err")', expected '$expected'"
done <<EOF_ROWS
--room 200|setarome-cli: monitor: --room: 200 is out of range 0..127
--region 1 --region x|setarome-cli: monitor: --region: x is not an integer in 0..127
--source 10.0.0|setarome-cli: monitor: --source: 10.0.0 is not an IPv4 address (a.b.c.d)
--duration 5x|setarome-cli: monitor: --duration: 5x is no time (90, 90s, 15m, 2h, 1h30m, 1d; at most a year)
--max-keys 0|setarome-cli: monitor: --max-keys: 0 is out of range 1..10000000
--receive-buffer 100|setarome-cli: monitor: --receive-buffer: 100 is out of range 4096..1073741823
--capture-size 100000|setarome-cli: monitor: --capture-size: needs --capture FILE
--capture-keep 3|setarome-cli: monitor: --capture-keep: needs --capture FILE
--capture $work/missing/cap.jsonl --capture-size 4096 --capture-keep 0|setarome-cli: monitor: --capture-keep: 0 is out of range 1..1000
--receiver strict|setarome-cli: monitor: --receiver: strict is not one of literal|tolerant
--interface no-such-if0|setarome-cli: monitor: --interface: no-such-if0 is no network interface here
--capture $work/missing/cap.jsonl|setarome-cli: monitor: $work/missing/cap.jsonl: No such file or directory
EOF_ROWS

"$program" monitor --help >"$work/help" 2>&1 || fail "--help: exit status $?"
for word in stale conflict mismatch literal-drop --receiver --capture-keep --scans; do
  grep -q -- "$word" "$work/help" || fail "--help does not mention $word"
done

[ "$failures" -eq 0 ] || exit 1
echo "monitor options: refused in one line each"
