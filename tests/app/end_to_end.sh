#!/usr/bin/env bash
# End to end, as an operator would: the real program under Xvfb in a network
# namespace of its own, joined by a veth pair to a second namespace where a
# receiver listens on port 16520. Both namespaces are created here and removed
# on exit; nothing is ever sent on this machine's own network.
#   end_to_end.sh PROGRAM RECEIVER
set -euo pipefail
program=$1
receiver=$2

if ! ip netns add "e2e-probe-$$" 2>/dev/null; then
  echo "SKIP: network namespaces cannot be created here (run as root)"
  exit 77
fi
ip netns del "e2e-probe-$$"

tx="e2e-tx-$$"; rx="e2e-rx-$$"
net=$((($$ % 200) + 20))
tx_ip="10.213.$net.1"; rx_ip="10.213.$net.2"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  ip netns del "$tx" 2>/dev/null || true
  ip netns del "$rx" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$tx"; ip netns add "$rx"
ip link add vtx netns "$tx" type veth peer name vrx netns "$rx"
ip -n "$tx" addr add "$tx_ip/24" dev vtx
ip -n "$rx" addr add "$rx_ip/24" dev vrx
for ns in "$tx" "$rx"; do ip -n "$ns" link set lo up; done
ip -n "$tx" link set vtx up; ip -n "$rx" link set vrx up
# Without a route the limited broadcast has no way out.
ip -n "$tx" route add default dev vtx

now_ms() { date +%s%3N; }
in_tx() { ip netns exec "$tx" env DISPLAY=":$display" "$@"; }

ip netns exec "$rx" "$receiver" 16520 100 60000 >"$work/received" &
pids+=($!)

exec 3>"$work/display"
ip netns exec "$tx" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(head -n1 "$work/display")

in_tx env -u QT_QPA_PLATFORM "$program" >"$work/stdout" 2>"$work/stderr" &
pids+=($!)
window=$(in_tx timeout 20 xdotool search --sync --onlyvisible --name 'セタロメ' | head -n1)
sleep 0.5

click() { in_tx xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
click 563 60          # "1秒"
click 229 20          # "送信開始"
started=$(now_ms)
sleep 3.6
click 216 140         # "降雨ON"
rain_on=$(now_ms)
sleep 2.2
click 317 20          # "停止"
stopped=$(now_ms)
sleep 2.5

fail() { echo "FAIL: $*"; echo "--- received"; cat "$work/received"; echo "--- program stderr"; cat "$work/stderr"; exit 1; }

expected() {
  printf '<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="1" region="1" order="1" priority="29">%s</DATA><IP>%s</IP></UECS>' "$1" "$tx_ip"
}
[ "$(head -n1 "$work/stdout")" = "$(hostname)" ] || fail "host name not printed at start-up"

mapfile -t dry < <(awk -F'\t' -v a="$started" -v b="$rain_on" '$1 > a && $1 < b' "$work/received")
mapfile -t wet < <(awk -F'\t' -v a="$rain_on" -v b="$stopped" '$1 > a && $1 < b' "$work/received")
late=$(awk -F'\t' -v s="$stopped" '$1 > s + 300' "$work/received" | wc -l)

dry_text=$(expected 0)
[ "${#dry[@]}" -ge 3 ] || fail "expected at least 3 datagrams before rain ON, got ${#dry[@]}"
for line in "${dry[@]}"; do
  [ "$(cut -f3- <<<"$line")" = "$(expected 0)" ] || fail "unexpected payload: $line"
  [ "$(cut -f2 <<<"$line")" -eq "${#dry_text}" ] || fail "datagram length differs from the text: $line"
done
first=$(cut -f1 <<<"${dry[0]}")
offset=$(awk -v f="$first" -v s="$started" 'BEGIN { printf "%d", f - s }')
[ "$offset" -ge 700 ] && [ "$offset" -le 1400 ] || fail "first datagram ${offset} ms after the start click"
awk -F'\t' 'NR > 1 { d = $1 - prev; if (d < 900 || d > 1100) { print "period " d; bad = 1 } } { prev = $1 } END { exit bad }' \
  <(printf '%s\n' "${dry[@]}") || fail "datagrams not one second apart"
[ "${#wet[@]}" -ge 1 ] || fail "no datagram after rain ON"
[ "$(cut -f3- <<<"${wet[-1]}")" = "$(expected 1)" ] || fail "rain ON not carried: ${wet[-1]}"
[ "$late" -eq 0 ] || fail "$late datagrams after the stop"
echo "end to end: ${#dry[@]} dry and ${#wet[@]} wet datagrams from $tx_ip, none after the stop"
