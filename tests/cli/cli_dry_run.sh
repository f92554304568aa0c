#!/usr/bin/env bash
# --dry-run prints, byte for byte, what the node would send: the log lines
# and each datagram as text, or one JSON object per tick and per log line.
# The time of day is the one part that varies; it is checked for its shape
# and replaced before the comparison. The text run also tells systemd (a
# stand-in for its notify socket) that it is ready, then that it stops. Both
# runs go in parallel (2 s).
#   cli_dry_run.sh PROGRAM NOTIFY_RECEIVER
set -uo pipefail
program=$1
notify_receiver=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

printf '1\n0\n' >"$work/play.txt"
"$notify_receiver" "$work/notify" 2 5000 >"$work/notices" 2>"$work/notify.bound" &
notify_pid=$!
for _ in $(seq 100); do [ -s "$work/notify.bound" ] && break; sleep 0.02; done
NOTIFY_SOCKET="$work/notify" "$program" node --dry-run --count 2 --interval 1 --ip 192.0.2.1 \
  >"$work/text" 2>"$work/text.err" &
text_pid=$!
# A Japanese type goes out in Shift-JIS and comes back as text in the JSON.
"$program" node --dry-run --json --count 2 --interval 1 --source file --file "$work/play.txt" \
  --loop --type 雨量 --room 127 --ip 192.0.2.9 >"$work/json" 2>"$work/json.err" &
json_pid=$!
wait "$text_pid" || fail "text run: exit status $?"
wait "$json_pid" || fail "JSON run: exit status $?"

message() {
  printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="%s" room="%s" region="1" order="1" priority="29">%s</DATA><IP>%s</IP></UECS>' "$@"
}
{
  echo "送信開始"
  printf 'TIME\t0\n'; message WRainfall 1 0 192.0.2.1; echo
  printf 'TIME\t0\n'; message WRainfall 1 0 192.0.2.1; echo
  echo "送信停止"
} >"$work/text.expected"
sed -E 's/^[0-9]{1,2}:[0-9]{2}:[0-9]{2}( [ap]m)?\t/TIME\t/' "$work/text" >"$work/text.seen"
cmp -s "$work/text.seen" "$work/text.expected" || {
  fail "text output differs"
  diff "$work/text.expected" "$work/text" | cat -A
}

json_message() { message "$@" | sed 's/"/\\"/g'; }
{
  echo '{"log":"送信開始","time":"T"}'
  printf '{"dry_run":true,"message":"%s","sent":false,"time":"T","value":1}\n' "$(json_message 雨量 127 1 192.0.2.9)"
  printf '{"dry_run":true,"message":"%s","sent":false,"time":"T","value":0}\n' "$(json_message 雨量 127 0 192.0.2.9)"
  echo '{"log":"送信停止","time":"T"}'
} >"$work/json.expected"
time_shape='"time":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}(Z|[+-][0-9]{2}:[0-9]{2})"'
sed -E "s/$time_shape/\"time\":\"T\"/" "$work/json" >"$work/json.seen"
cmp -s "$work/json.seen" "$work/json.expected" || {
  fail "JSON output differs"
  diff "$work/json.expected" "$work/json"
}
wait "$notify_pid"
[ "$(paste -sd' ' "$work/notices")" = "READY=1 STOPPING=1" ] ||
  fail "systemd was told '$(paste -sd' ' "$work/notices")'"

for err in "$work/text.err" "$work/json.err"; do
  [ ! -s "$err" ] || fail "wrote to standard error: $(cat "$err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "dry run: text and JSON output as expected"
