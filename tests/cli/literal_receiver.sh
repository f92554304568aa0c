#!/usr/bin/env bash
# What this program sends passes a literal receiver: every message of the
# shipped scenarios (ten seconds of each: every second and ten-second CCM) and of
# the node, as --dry-run writes them, through lint --receiver literal; and a
# departure is reported once, with the rule it breaks, only for that receiver.
#   literal_receiver.sh PROGRAM SCENARIO_DIR
set -uo pipefail
program=$1
scenarios=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# judge NAME: standard input through lint --receiver literal, nothing found.
judge() {
  local status=0
  "$program" lint --raw - --receiver literal >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 0 ] && grep -qE ': [1-9][0-9]* messages?, 0 with findings' "$work/err" ||
    fail "$1: exit status $status: $(head -c 600 "$work/out") $(cat "$work/err")"
}

# The scenarios side by side: each runs in real time.
pids=()
for scenario in "$scenarios"/*.toml; do
  "$program" station "$scenario" --dry-run --count 11 >"$work/$(basename "$scenario").txt" &
  pids+=($!)
done
"$program" node --dry-run --count 2 --interval 1 --type InAirTemp.mIC --room 127 --region 127 \
  --order 30000 --priority 30 --ip 255.255.255.255 | grep '^<' | judge node
for pid in "${pids[@]}"; do wait "$pid" || fail "station run $pid: exit status $?"; done
for scenario in "$scenarios"/*.toml; do
  judge "$(basename "$scenario")" <"$work/$(basename "$scenario").txt"
done

head='<?xml version="1.0"?><UECS ver="1.00-E10">'
data='<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">23.5</DATA><IP>10.0.0.1</IP></UECS>'
printf '%s\n' "$head $data" >"$work/spaced.txt"
status=0
"$program" lint --raw "$work/spaced.txt" --receiver literal >"$work/out" 2>/dev/null || status=$?
[ "$status" -eq 1 ] && [ "$(grep -c dropped-by-literal-receiver "$work/out")" -eq 1 ] &&
  grep -qF "$work/spaced.txt:1: data: dropped-by-literal-receiver: at byte 42: whitespace between elements" "$work/out" ||
  fail "a space between elements: exit status $status: $(cat "$work/out")"
"$program" lint --raw "$work/spaced.txt" >"$work/out" 2>/dev/null
grep -q dropped-by-literal-receiver "$work/out" && fail "tolerant by default: $(cat "$work/out")"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "literal receiver: the scenarios' and the node's messages pass; a departure is one finding"
