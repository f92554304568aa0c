#!/usr/bin/env bash
# End to end, as an operator would: the real program under Xvfb in a network
# namespace, "1秒" and "送信開始" clicked, the datagrams checked in the peer
# namespace; then "降雨ON", "停止", and the window closed as a window manager
# closes it.
#   end_to_end.sh PROGRAM RECEIVER CLOSE_WINDOW
set -euo pipefail
program=$1
receiver=$2
close_window=$3
source "$(dirname "$0")/panel_session.sh"
trap session_cleanup EXIT

session_namespaces_or_skip
session_receive "$receiver" 60000
session_display
session_program "$program"
sleep 0.5

# received_until PATTERN COUNT: waits (30 s at most) until COUNT datagrams
# matching PATTERN are in.
received_until() {
  for _ in $(seq 600); do
    [ "$(grep -c "$1" "$session_work/received" || true)" -ge "$2" ] && return 0
    sleep 0.05
  done
}

session_click 563 60          # "1秒"
started=$(now_ms)
session_click 229 20          # "送信開始"
received_until '>0</DATA>' 3
rain_on=$(now_ms)
session_click 216 140         # "降雨ON"
received_until '>1</DATA>' 2
session_click 317 20          # "停止"
stopped=$(now_ms)
# Long enough for two more ticks, had the stop not stopped them.
sleep 2.5
session_close "$close_window"

received="$session_work/received"
fail() {
  echo "FAIL: $*"
  echo "--- received"; cat "$received"
  echo "--- program output"; cat "$session_work/stdout" "$session_work/stderr"
  exit 1
}
expected() {
  printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="1" region="1" order="1" priority="29">%s</DATA><IP>%s</IP></UECS>' "$1" "$tx_ip"
}

[ "$(head -n1 "$session_work/stdout")" = "$(hostname)" ] || fail "host name not printed at start-up"

mapfile -t dry < <(awk -F'\t' -v a="$started" -v b="$rain_on" '$1 > a && $1 < b' "$received")
mapfile -t wet < <(awk -F'\t' -v a="$rain_on" -v b="$stopped" '$1 > a && $1 < b' "$received")
late=$(awk -F'\t' -v s="$stopped" '$1 > s + 300' "$received" | wc -l)

dry_text=$(expected 0)
[ "${#dry[@]}" -ge 3 ] || fail "expected at least 3 datagrams before rain ON, got ${#dry[@]}"
for line in "${dry[@]}"; do
  [ "$(cut -f3- <<<"$line")" = "$dry_text" ] || fail "unexpected payload: $line"
  [ "$(cut -f2 <<<"$line")" -eq "${#dry_text}" ] || fail "datagram length differs from the text: $line"
done
offset=$(awk -v f="$(cut -f1 <<<"${dry[0]}")" -v s="$started" 'BEGIN { printf "%d", f - s }')
# One interval after the click, however loaded the machine.
[ "$offset" -ge 950 ] && [ "$offset" -le 5000 ] || fail "first datagram ${offset} ms after the start click"
printf '%s\n' "${dry[@]}" | awk -F'\t' '
  NR > 1 { d = $1 - prev; if (d < 500 || d > 2500) { print "period " d; bad = 1 } }
  { prev = $1 }
  END { exit bad }' || fail "datagrams not one second apart"
[ "${#wet[@]}" -ge 1 ] || fail "no datagram after rain ON"
[ "$(cut -f3- <<<"${wet[-1]}")" = "$(expected 1)" ] || fail "rain ON not carried: ${wet[-1]}"
[ "$late" -eq 0 ] || fail "$late datagrams after the stop"
[ "$exit_status" -eq 0 ] || fail "closing the window ended the program with status $exit_status"
echo "end to end: ${#dry[@]} dry and ${#wet[@]} wet datagrams from $tx_ip, none after the stop, exit status 0 on close"
