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

# Milliseconds from launch until the window is visible, polled every 5 ms.
launch() {
  local start; start=$(now_ms)
  in_tx "$1" >/dev/null 2>&1 &
  program_pid=$!; session_pids+=("$program_pid")
  until window=$(in_tx xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n1) && [ -n "$window" ]; do
    sleep 0.005
  done
  echo $(($(now_ms) - start))
}
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

bare_ms=$(launch "$build/bench/app/bare_window" bare)
bare_pid=$program_pid
panel_ms=$(launch "$build/src/app/setarome" 'セタロメ')
panel_pid=$program_pid
sleep 0.5
session_click 563 60    # "1秒"
session_click 229 20    # "送信開始"
bare_cpu0=$(cpu_ticks "$bare_pid"); panel_cpu0=$(cpu_ticks "$panel_pid")
sleep "$seconds"
bare_cpu=$(($(cpu_ticks "$bare_pid") - bare_cpu0)); panel_cpu=$(($(cpu_ticks "$panel_pid") - panel_cpu0))

echo "start-up to window shown: panel ${panel_ms} ms, bare window ${bare_ms} ms"
echo "resident memory after ${seconds} s: panel $(rss_kib "$panel_pid") KiB, bare window $(rss_kib "$bare_pid") KiB"
awk -v p="$panel_cpu" -v b="$bare_cpu" -v hz="$hz" -v s="$seconds" 'BEGIN {
  printf "CPU time per hour: panel %.2f s, bare window %.2f s\n", p / hz * 3600 / s, b / hz * 3600 / s }'
# Tick period: median |interval - 1000| and the largest distance of tick k
# from k x 1000 ms after the first.
cut -f1 "$session_work/received" | awk '
  NR == 1 { first = $1 }
  { t[NR] = $1 }
  END {
    n = NR
    for (k = 2; k <= n; k++) { e[k - 1] = t[k] - t[k - 1] - 1000; if (e[k - 1] < 0) e[k - 1] = -e[k - 1] }
    asort(e)
    drift = 0
    for (k = 1; k <= n; k++) { d = t[k] - first - (k - 1) * 1000; if (d < 0) d = -d; if (d > drift) drift = d }
    printf "ticks received: %d; median period error %.2f ms; largest drift from k x 1000 ms %.2f ms\n", n, e[int((n - 1) / 2) + 1], drift
  }'
