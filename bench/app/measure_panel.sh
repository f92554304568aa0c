#!/usr/bin/env bash
# Measures the panel beside a bare Qt Widgets window: time from process start
# to the window shown, resident memory and CPU time after a minute (the panel
# transmitting at "1秒" into a peer namespace), and the tick period seen by the
# receiver. Root only; everything runs in namespaces created here.
#   measure_panel.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
source "$(cd "$(dirname "$0")/../../tests/app" && pwd)/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }
session_receive "$build/tests/app/udp_receive" $(((seconds + 30) * 1000))
session_display

# Starts a program; sets $launch_ms, the milliseconds from launch until its
# window is visible (polled every 5 ms), and $program_pid.
launch() {
  local start; start=$(now_ms)
  spawn_in_tx "$1" >/dev/null 2>&1
  until window=$(window_of "$program_pid") && [ -n "$window" ]; do
    sleep 0.005
  done
  launch_ms=$(($(now_ms) - start))
}
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/process_usage.sh"

launch "$build/bench/app/bare_window"
bare_ms=$launch_ms bare_pid=$program_pid
launch "$build/src/app/setarome"
panel_ms=$launch_ms panel_pid=$program_pid
sleep 0.5
session_click 563 60    # "1秒"
session_click 229 20    # "送信開始"
bare_cpu0=$(cpu_ns "$bare_pid"); panel_cpu0=$(cpu_ns "$panel_pid")
sleep "$seconds"
bare_cpu=$(($(cpu_ns "$bare_pid") - bare_cpu0)); panel_cpu=$(($(cpu_ns "$panel_pid") - panel_cpu0))

echo "start-up to window shown: panel ${panel_ms} ms, bare window ${bare_ms} ms"
echo "resident memory after ${seconds} s: panel $(rss_kib "$panel_pid") KiB, bare window $(rss_kib "$bare_pid") KiB"
awk -v p="$panel_cpu" -v b="$bare_cpu" -v s="$seconds" 'BEGIN {
  printf "CPU time per hour: panel %.2f s, bare window %.2f s\n", p / 1e9 * 3600 / s, b / 1e9 * 3600 / s }'
# Tick period: median |interval - 1000| and the largest distance of tick k
# from k x 1000 ms after the first.
times=$(cut -f1 "$session_work/received")
median_error=$(awk 'NR > 1 { e = $1 - prev - 1000; print (e < 0 ? -e : e) } { prev = $1 }' <<<"$times" |
  sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", v[int((NR + 1) / 2)] }')
awk -v median="$median_error" '
  NR == 1 { first = $1 }
  { d = $1 - first - (NR - 1) * 1000; if (d < 0) d = -d; if (d > drift) drift = d }
  END { printf "ticks received: %d; median period error %s ms; largest drift from k x 1000 ms %.2f ms\n", NR, median, drift }' <<<"$times"
