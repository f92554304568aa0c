#!/usr/bin/env bash
# setarome-cli as a Unix tool, without the network (dry runs and files):
# - INT, TERM and HUP end every subcommand at once, also while it reads a
#   pipe that never writes or a file with no line break;
# - inputs that are not regular files or pipes are refused;
# - a closed pipe ends a run quietly, a failed write exits with 1;
# - a capture whose last line was cut short is replayed and linted without it.
#   unix_tool.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
holders=()
cleanup() {
  for pid in "${holders[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Waits (at most 10 s) until process $1 has file $2 open, so a signal comes
# after main() blocked the stop signals and while the file is read.
wait_open() {
  for _ in $(seq 200); do
    ls -l /proc/"$1"/fd 2>/dev/null | grep -qF -- "$2" && return 0
    sleep 0.05
  done
  return 1
}

# Waits (at most 10 s) for process $1 to end; its exit status in $status, or
# "running".
wait_end() {
  status=running
  for _ in $(seq 200); do
    if ! kill -0 "$1" 2>/dev/null; then
      status=0
      wait "$1" || status=$?
      return
    fi
    sleep 0.05
  done
  kill -KILL "$1" 2>/dev/null
}

record() {
  printf '{"time":"2026-12-08T23:10:%s+09:00","source":"10.0.0.1","port":16520,"bytes":"%s"}\n' \
    "$1" "$(printf '%s' "$2" | base64 -w0)"
}
{
  record 04.000000 first
  record 04.100000 second
} >"$work/capture.jsonl"

# A pipe that stays open and silent: its writer is a sleeping holder.
mkfifo "$work/silent"
sleep 600 >"$work/silent" &
holders+=($!)
# A file of 4 GiB without a line break (a hole: it takes no disk).
truncate -s 4G "$work/endless"

# Arguments | signal | the file read | exit status.
while IFS='|' read -r arguments signal file expected; do
  # shellcheck disable=SC2086
  "$program" $arguments >"$work/out" 2>"$work/err" &
  pid=$!
  wait_open "$pid" "$file" || fail "$arguments: never opened $file"
  started=$(date +%s%3N)
  kill -"$signal" "$pid"
  wait_end "$pid"
  took=$(($(date +%s%3N) - started))
  [ "$status" = "$expected" ] || fail "$arguments, SIG$signal: exit status $status: $(cat "$work/err")"
  [ "$took" -lt 3000 ] || fail "$arguments, SIG$signal: took $took ms to stop"
done <<EOF_ROWS
replay $work/silent --dry-run|TERM|$work/silent|0
replay $work/silent --dry-run|HUP|$work/silent|0
replay $work/endless --dry-run|INT|$work/endless|0
lint $work/silent|INT|$work/silent|2
lint --raw $work/endless|TERM|$work/endless|2
lint --datagram $work/silent|HUP|$work/silent|2
EOF_ROWS
grep -q "^setarome-cli: lint: $work/silent: stopped by a signal before its end$" "$work/err" ||
  fail "lint --datagram stopped: $(cat "$work/err")"

# A device never ends: refused before anything is sent.
for arguments in "replay /dev/zero --dry-run" "lint /dev/zero" "lint --raw /dev/zero" \
  "lint --datagram /dev/zero"; do
  # shellcheck disable=SC2086
  timeout 10 "$program" $arguments >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] && grep -q ': /dev/zero: is not a regular file or a pipe$' "$work/err" ||
    fail "$arguments: exit status $status: $(cat "$work/err")"
done

# HUP stops a node as TERM does, with its stop line.
"$program" node --dry-run --interval 1 >"$work/node.out" 2>&1 &
pid=$!
for _ in $(seq 200); do grep -q '^<?xml' "$work/node.out" && break; sleep 0.05; done
kill -HUP "$pid"
wait_end "$pid"
[ "$status" = 0 ] && [ "$(tail -n1 "$work/node.out")" = 送信停止 ] ||
  fail "node, SIGHUP: exit status $status: $(cat "$work/node.out")"

# A closed pipe ends the run quietly, with the status of the run.
for arguments in "node --dry-run --interval 1" "replay $work/capture.jsonl --dry-run --speed 0.01"; do
  # shellcheck disable=SC2086
  timeout 20 "$program" $arguments 2>"$work/err" | head -c 1 >/dev/null
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "$arguments | head: exit status $status: $(cat "$work/err")"
done

# A failed write is an error.
printf '<x/>\n' >"$work/raw.txt"
cat >"$work/station.toml" <<'TOML'
[[node]]
address = "10.0.0.5"
[[node.ccm]]
type = "WAirTemp"
level = "A-1S-0"
generator = { kind = "constant", value = 1 }
TOML
for arguments in "node --dry-run --interval 1" "node --dry-run --count 1" \
  "station $work/station.toml --dry-run" "replay $work/capture.jsonl --dry-run" \
  "lint --raw $work/raw.txt" "--help" "node --help"; do
  # shellcheck disable=SC2086
  timeout 20 "$program" $arguments >/dev/full 2>"$work/err"
  status=$?
  [ "$status" -eq 1 ] && [ "$(grep -c '' "$work/err")" -ge 1 ] &&
    grep -q '^setarome-cli: standard output: No space left on device$' "$work/err" ||
    fail "$arguments >/dev/full: exit status $status: $(cat "$work/err")"
done

# A last line cut short (a full disk): passed over with a warning.
{ cat "$work/capture.jsonl"; printf '{"time":"2026-12-08T23:10:05+09:00","sou'; } >"$work/torn.jsonl"
"$program" replay "$work/torn.jsonl" --dry-run --as-fast-as-possible >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] && [ "$(cat "$work/out")" = $'first\nsecond' ] &&
  [ "$(head -n1 "$work/err")" = "setarome-cli: replay: $work/torn.jsonl:3: the last line is cut short (no line break); passed over" ] ||
  fail "replay of a torn capture: exit status $status: $(cat "$work/out" "$work/err")"
"$program" replay - --dry-run --as-fast-as-possible <"$work/torn.jsonl" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] && [ "$(cat "$work/out")" = $'first\nsecond' ] && grep -q '^setarome-cli: replay: -:3: the last line is cut short' "$work/err" ||
  fail "replay of a torn capture on standard input: exit status $status: $(cat "$work/out" "$work/err")"
"$program" lint "$work/torn.jsonl" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 1 ] && grep -q "^setarome-cli: lint: $work/torn.jsonl:3: the last line is cut short (no line break); passed over$" "$work/err" &&
  ! grep -q ':3: .*no "source"' "$work/out" "$work/err" ||
  fail "lint of a torn capture: exit status $status: $(cat "$work/out" "$work/err")"

# The capture is played as it is read: the first record of an endless pipe
# goes out at once.
yes "$(record 04.000000 again)" | timeout 20 "$program" replay - --dry-run --count 1 >"$work/out" 2>"$work/err"
status=${PIPESTATUS[1]}
[ "$status" -eq 0 ] && [ "$(cat "$work/out")" = again ] ||
  fail "replay of an endless pipe: exit status $status: $(cat "$work/out" "$work/err")"

# A damaged line in a pipe is found as it is reached: what came before it was
# sent, and the replay ends there with status 2.
{ cat "$work/capture.jsonl"; record 05.000000 '***' | sed 's/"bytes":"[^"]*"/"bytes":"***"/'; record 06.000000 after; } |
  "$program" replay - --dry-run --as-fast-as-possible >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && [ "$(cat "$work/out")" = $'first\nsecond' ] &&
  [ "$(head -n1 "$work/err")" = 'setarome-cli: replay: -:3: "bytes" is not base64' ] ||
  fail "replay of a damaged pipe: exit status $status: $(cat "$work/out" "$work/err")"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "unix tool: stops at once, refuses devices, ends on closed and failed output, passes over torn lines"
