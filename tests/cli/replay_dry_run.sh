#!/usr/bin/env bash
# setarome-cli replay without sending: --dry-run writes each datagram of the
# capture, escaped, in order and at its time; a damaged capture or a bad
# option is refused before anything is written, with exit status 2.
#   replay_dry_run.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# record SECONDS.MICROS BYTES: one capture line.
record() {
  printf '{"time":"2026-12-08T23:10:%s+09:00","source":"10.0.0.1","port":16520,"bytes":"%s","kind":"data"}\n' \
    "$1" "$(printf '%s' "$2" | base64 -w0)"
}
{
  record 04.000000 'first'
  record 04.100000 $'second\x1b[2J'
  record 04.400000 'third'
} >"$work/capture.jsonl"

started=$(date +%s%3N)
"$program" replay "$work/capture.jsonl" --dry-run >"$work/out" 2>"$work/err"
status=$?
took=$(($(date +%s%3N) - started))
[ "$status" -eq 0 ] || fail "dry run: exit status $status: $(cat "$work/err")"
[ "$(cat "$work/out")" = 'first
second\x1b[2J
third' ] || fail "dry run: wrote '$(cat "$work/out")'"
[ "$took" -ge 400 ] || fail "dry run: took $took ms, the capture spans 400"

grep -qxE 'setarome-cli: replay: 3 datagrams written \(20 bytes\), 0 failed, 1 round, in [0-9]+\.[0-9]{3} s: [0-9]+\.[0-9] a second' "$work/err" ||
  fail "dry run: the summary said '$(cat "$work/err")'"

"$program" replay "$work/capture.jsonl" --dry-run --count 2 --as-fast-as-possible --json >"$work/out" 2>&1
[ "$(wc -l <"$work/out")" -eq 3 ] && grep -q '"bytes":"Zmlyc3Q=","captured":"2026-12-08T23:10:04.000000+09:00","dry_run":true,"port":16520,"sent":false' "$work/out" &&
  tail -n1 "$work/out" | grep -qxE '\{"sent":2,"bytes":15,"failed":0,"rounds":1,"duration":[0-9.e-]+,"rate":([0-9.e+]+|null),"dry_run":true\}' ||
  fail "--json --count 2: $(cat "$work/out")"

# --loop: the rounds in order, the next one a mean gap (200 ms) after the
# last datagram, so three rounds take at least 1.6 s; --count counts them all.
started=$(date +%s%3N)
"$program" replay "$work/capture.jsonl" --dry-run --loop 3 --count 8 >"$work/out" 2>"$work/err"
status=$?
took=$(($(date +%s%3N) - started))
[ "$status" -eq 0 ] && [ "$(tr '\n' ' ' <"$work/out")" = 'first second\x1b[2J third first second\x1b[2J third first second\x1b[2J ' ] &&
  grep -q '^setarome-cli: replay: 8 datagrams written (55 bytes), 0 failed, 3 rounds, in ' "$work/err" ||
  fail "--loop 3 --count 8: exit status $status, wrote '$(cat "$work/out")', said '$(cat "$work/err")'"
[ "$took" -ge 1300 ] || fail "--loop 3 --count 8: took $took ms, the rounds span 1300"

# Arguments | the error line.
cp "$work/capture.jsonl" "$work/damaged.jsonl"
echo '{"time":"2026-12-08T23:10:05+09:00","source":"10.0.0.1","port":16520,"bytes":"***"}' >>"$work/damaged.jsonl"
while IFS='|' read -r arguments expected; do
  # shellcheck disable=SC2086
  "$program" replay $arguments >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$arguments: exit status $status, expected 2"
  [ ! -s "$work/out" ] || fail "$arguments: wrote $(cat "$work/out")"
  [ "$(cat "$work/err")" = "$expected" ] || fail "$arguments: said '$(cat "$work/err")', expected '$expected'"
done <<EOF_ROWS
$work/damaged.jsonl --dry-run|setarome-cli: replay: $work/damaged.jsonl:4: "bytes" is not base64
$work/missing --dry-run|setarome-cli: replay: $work/missing: No such file or directory
$work/capture.jsonl --speed 1001|setarome-cli: replay: --speed: 1001 is out of range 0.001..1000
$work/capture.jsonl --speed 0|setarome-cli: replay: --speed: 0 is out of range 0.001..1000
$work/capture.jsonl --speed fast|setarome-cli: replay: --speed: fast is not a number in 0.001..1000
$work/capture.jsonl --speed 2 --as-fast-as-possible|setarome-cli: replay: --speed excludes --as-fast-as-possible
$work/capture.jsonl --loop 0|setarome-cli: replay: --loop: 0 is out of range 1..1000000
EOF_ROWS

# A pipe cannot be read twice: refused before anything is written.
status=0
cat "$work/capture.jsonl" | "$program" replay - --loop 2 --dry-run >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$work/out" ] &&
  [ "$(cat "$work/err")" = "setarome-cli: replay: --loop: standard input and pipes cannot be read again: more than one round needs a file" ] ||
  fail "--loop 2 from a pipe: exit status $status, wrote '$(cat "$work/out")', said '$(cat "$work/err")'"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "replay dry run: in order, escaped, on time; damaged captures refused"
