#!/usr/bin/env bash
# Measures setarome-cli node beside the window program, both sending at one
# tick a second into a peer namespace for SECONDS: CPU time per hour of
# transmitting, resident memory, start to first datagram, and the drift of
# every tick k from start + k s. Start is the "送信開始" click for the window,
# the "送信開始" log line for the command (stamped as it arrives); the
# command's time from launch to that line is shown apart. Root only; everything runs in
# namespaces created here.
#   measure_cli.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
source "$(cd "$(dirname "$0")/../../tests/app" && pwd)/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }

receive() {
  ip netns exec "$rx" "$build/tests/app/udp_receive" "$1" 100000 $(((seconds + 30) * 1000)) \
    >"$session_work/$2.received" &
  session_pids+=($!)
}
receive 16520 window
receive 16521 cli
session_display

source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/process_usage.sh"

session_program "$build/src/app/setarome"
window_pid=$program_pid
sleep 0.5
session_click 563 60 # "1秒"
in_tx xdotool mousemove --window "$window" 229 20
window_start=$(now_ms)
in_tx xdotool click 1 # "送信開始"

cli_start=$((${EPOCHREALTIME/./} / 1000))
# Each log line stamped with the epoch milliseconds it arrived at.
stamp() { while IFS= read -r line; do printf '%s\t%s\n' "${EPOCHREALTIME/./}" "$line"; done; }
spawn_in_tx "$build/src/cli/setarome-cli" node --interval 1 --port 16521 \
  > >(stamp >"$session_work/cli.out")
cli_pid=$program_pid
# CPU time is counted from after the first tick: what a tick costs for an
# hour, without what the first one pays once (the socket, the converter,
# the time zone, the symbols bound on first call).
sleep 1.5
window_cpu0=$(cpu_ns "$window_pid")
cli_cpu0=$(cpu_ns "$cli_pid")

sleep "$seconds"
window_cpu=$(($(cpu_ns "$window_pid") - window_cpu0))
cli_cpu=$(($(cpu_ns "$cli_pid") - cli_cpu0))

# report NAME PID CPU_NS START_MS
report() {
  echo "$1: resident memory $(rss_kib "$2") KiB"
  awk -v c="$3" -v s="$seconds" -v n="$1" 'BEGIN { printf "%s: CPU time per hour %.3f s\n", n, c / 1e9 * 3600 / s }'
  # Drift of tick k: its arrival minus (start + k s). A late tick whose lateness
  # the following ones do not inherit was held up by the scheduler; the last
  # tick shows whether anything accumulates.
  local drifts="$session_work/$1.drifts"
  cut -f1 "$session_work/$1.received" |
    awk -v start="$4" '{ d = $1 - start - NR * 1000; printf "%.3f\n", d }' >"$drifts"
  printf '%s: %d ticks; first datagram %.1f ms after start (interval 1000 ms)\n' "$1" \
    "$(wc -l <"$drifts")" "$(awk 'NR == 1 { print $1 + 1000 }' "$drifts")"
  awk '{ print ($1 < 0 ? -$1 : $1) }' "$drifts" | sort -g | awk -v n="$1" -v last="$(tail -n1 "$drifts")" '
    { a[NR] = $1; if ($1 <= 5) within++ }
    END { printf "%s: drift of tick k from start + k s: median %.1f ms, largest %.1f ms, last tick %.1f ms, %d of %d within 5 ms\n", n, a[int((NR + 1) / 2)], a[NR], last, within, NR }'
}
cli_started=$(head -n1 "$session_work/cli.out" | awk -F'\t' '{ printf "%.3f", $1 / 1000 }')
awk -v a="$cli_start" -v b="$cli_started" 'BEGIN { printf "cli: launch to \"送信開始\" %.1f ms\n", b - a }'
report cli "$cli_pid" "$cli_cpu" "$cli_started"
report window "$window_pid" "$window_cpu" "$window_start"
