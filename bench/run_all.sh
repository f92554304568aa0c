#!/usr/bin/env bash
# Every benchmark in one run, in two network namespaces created here (root
# only), each measured program beside its bare baseline: a plain loop built
# with the same flags (bench/baseline, bench_station's own sendto loops) that
# does only what the program must, run in the same namespaces right before or
# after it, so the machine's noise falls on both. ROUNDS rounds; each row is
# the median of its rounds. Prints one table: figure, this run's value, the
# aim, the baseline's value and the ratio to it.
#   run_all.sh BUILD_DIR [SECONDS [ROUNDS [NODE_SECONDS]]]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [SECONDS [ROUNDS [NODE_SECONDS]]]" >&2; exit 2; }
build=$(cd "$1" && pwd)
seconds=${2:-30}
rounds=${3:-1}
node_seconds=${4:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$build/src/cli/setarome-cli
source "$root/tests/app/panel_session.sh"
trap session_cleanup EXIT
session_namespaces || { echo "needs root (network namespaces)"; exit 1; }
results=$session_work/results

source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/process_usage.sh"
# record ROW VALUE [BASELINE]: one round's figures of a row.
record() { printf '%s\t%s\t%s\n' "$1" "$2" "${3:-}" >>"$results"; }

# Waits (10 s at most) until the receiver on PORT in rx has read all that
# is queued for it, so its CPU time covers every datagram it counts.
drained() {
  for _ in $(seq 200); do
    [ "$(ip netns exec "$rx" ss -H -u -l -n "sport = :$1" | awk '{ print $2 }')" = 0 ] && return 0
    sleep 0.05
  done
}

# A scenario of NODES nodes of 9 CCMs and "cnd", all at A-1S-0: 10 a node a second.
scenario() {
  {
    echo "seed = 1"
    echo "[[node]]"
    echo 'address = "10.100.0.1"'
    echo "repeat = $1"
    echo "answer_scans = false"
    for index in $(seq 9); do
      echo "[[node.ccm]]"
      echo "type = \"InAirTemp$index\""
      echo 'level = "A-1S-0"'
      echo "cast = 1"
      echo 'generator = { kind = "sine", min = 12.0, max = 28.0, period = 600 }'
    done
  } >"$session_work/station-$1.toml"
}

# The station's sending path at 100 000 a second, beside bare sendto loops
# sending as many datagrams of the same size, unpaced and paced alike.
station_round() {
  ip netns exec "$rx" "$build/bench/station/count_receive" 17000 3000 >"$session_work/count" &
  local counter=$!
  session_pids+=("$counter")
  session_listening "$rx" 17000
  ip netns exec "$tx" "$build/bench/station/bench_station" "$rx_ip" 17000 "$seconds" 10000 9 \
    >"$session_work/bench"
  wait "$counter"
  local sent received
  sent=$(awk '/^station:/ { print $2 }' "$session_work/bench")
  read -r received _ < <(tail -n1 "$session_work/count")
  awk -v lost=$((sent - received)) '
    /^lateness/ { median = $3; p99 = $7 }
    /station .* bare sendto/ { station = $5; bare = $9 }
    /bare sendto paced/ { paced = $(NF - 3) }
    END {
      printf "station CPU per datagram, us (vs bare sendto loop, paced alike)\t%s\t%s\n", station, paced
      printf "station: datagrams a second one core can send (1 / CPU per datagram), thousands\t%.0f\t%.0f\n", 1e3 / station, 1e3 / paced
      printf "station at 100 000/s: lateness median, ms\t%s\t\n", median
      printf "station at 100 000/s: lateness 99th percentile, ms\t%s\t\n", p99
      printf "station at 100 000/s: datagrams lost\t%d\t\n", lost
    }' "$session_work/bench" >>"$results"
}

# bare_round NODES PORT [BATCH]: a bare receive loop (bench/baseline) on
# PORT receiving the station's NODES nodes; sets bare_per (CPU per datagram,
# us), bare_received and bare_drops.
bare_round() {
  local nodes=$1 port=$2 pid cpu0 cpu
  ip netns exec "$rx" "$build/bench/baseline/bare_receive" "$port" 3000 ${3:-} >"$session_work/bare" &
  pid=$!
  session_pids+=("$pid")
  session_listening "$rx" "$port"
  cpu0=$(cpu_ns "$pid")
  ip netns exec "$tx" "$cli" station "$session_work/station-$nodes.toml" --to "$rx_ip" \
    --port "$port" --count "$seconds" 2>/dev/null
  drained "$port"
  cpu=$(($(cpu_ns "$pid") - cpu0))
  wait "$pid" || true
  read -r bare_received bare_drops <"$session_work/bare"
  bare_per=$(awk -v c="$cpu" -v r="$bare_received" 'BEGIN { printf "%.3f", c / 1e3 / r }')
}

# monitor_round RATE NODES PORT: setarome-cli monitor with a capture file
# (its lines to /dev/null), then the bare receive loops, each receiving the
# station's NODES nodes.
monitor_round() {
  local rate=$1 nodes=$2 port=$3 pid cpu summary received drops
  scenario "$nodes"
  ip netns exec "$rx" "$cli" monitor --port "$port" --receive-buffer 16777216 \
    --capture "$session_work/capture.jsonl" >/dev/null 2>"$session_work/monitor.err" &
  pid=$!
  session_pids+=("$pid")
  session_listening "$rx" "$port"
  local cpu0
  cpu0=$(cpu_ns "$pid")
  ip netns exec "$tx" "$cli" station "$session_work/station-$nodes.toml" --to "$rx_ip" \
    --port "$port" --count "$seconds" 2>/dev/null
  drained "$port"
  cpu=$(($(cpu_ns "$pid") - cpu0))
  kill -TERM "$pid"
  wait "$pid" || true
  summary=$(cat "$session_work/monitor.err")
  received=$(sed -n 's/.*received \([0-9]*\),.*/\1/p' <<<"$summary")
  drops=$(sed -n 's/.*kernel drops \([0-9]*\),.*/\1/p' <<<"$summary")
  rm -f "$session_work/capture.jsonl"
  local per
  per=$(awk -v c="$cpu" -v r="$received" 'BEGIN { printf "%.3f", c / 1e3 / r }')

  bare_round "$nodes" $((port + 1))
  record "receiver at $rate/s: CPU per datagram incl. decode and capture, us (vs bare recvmsg loop)" \
    "$per" "$bare_per"
  # What the socket could not hold: the station skips turns when it falls
  # behind, so what it meant to send is no measure of loss.
  record "receiver at $rate/s: datagrams dropped by the kernel (16 MiB buffer)" "$drops" "$bare_drops"
  record "receiver at $rate/s: datagrams received" "$received" "$bare_received"
  # The kernel's own share: the same system calls and nothing else.
  bare_round "$nodes" $((port + 2)) 32
  record "receiver at $rate/s: CPU per datagram, us (vs bare recvmmsg batches: the kernel's floor)" \
    "$per" "$bare_per"
}

# setarome-cli node and the bare clock_nanosleep loop side by side for
# NODE_SECONDS, after their first second.
node_round() {
  ip netns exec "$rx" "$build/tests/app/udp_receive" 17200 1000000 $(((node_seconds + 30) * 1000)) \
    >/dev/null &
  session_pids+=($!)
  session_listening "$rx" 17200
  ip netns exec "$tx" "$cli" node --interval 1 --to "$rx_ip" --port 17200 >/dev/null &
  local node=$!
  ip netns exec "$tx" "$build/bench/baseline/bare_node" "$rx_ip" 17200 >/dev/null &
  local bare=$!
  session_pids+=("$node" "$bare")
  sleep 1.5
  local node0 bare0
  node0=$(cpu_ns "$node")
  bare0=$(cpu_ns "$bare")
  sleep "$node_seconds"
  local node_cpu=$(($(cpu_ns "$node") - node0)) bare_cpu=$(($(cpu_ns "$bare") - bare0))
  kill -TERM "$node" "$bare"
  record "headless node: CPU time per hour, s (vs bare clock_nanosleep loop)" \
    "$(awk -v c="$node_cpu" -v s="$node_seconds" 'BEGIN { printf "%.3f", c / 1e9 * 3600 / s }')" \
    "$(awk -v c="$bare_cpu" -v s="$node_seconds" 'BEGIN { printf "%.3f", c / 1e9 * 3600 / s }')"
}

decoder_round() {
  "$build/bench/ccm/bench_decoder" --benchmark_filter='BM_DecodeData$' --benchmark_min_time=2 \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '/^name,/ { for (i = 1; i <= NF; i++) if ($i == "items_per_second") c = i }
             /BM_DecodeData/ { v = $c } END { print v }' \
    >"$session_work/decoder"
  record "decoder: typical data messages a second, millions" \
    "$(awk '{ printf "%.2f", $1 / 1e6 }' "$session_work/decoder")"
}

for round in $(seq "$rounds"); do
  echo "round $round of $rounds" >&2
  decoder_round
  station_round
  monitor_round "100 000" 10000 17100
  monitor_round "1 000" 100 17110
  node_round
done

# The median of each row's rounds, its aim, and the ratio to its baseline.
aim() {
  case $1 in
    "station CPU"*) echo "<= 0.8 x bare" ;;
    *"lateness median"*) echo "< 1" ;;
    *"99th percentile"*) echo "< 5" ;;
    *lost* | *dropped*) echo "0" ;;
    *received) echo "all sent" ;;
    "receiver at 100 000/s: CPU per datagram incl."*) echo "< 1" ;;
    "receiver at 1 000/s: CPU per datagram incl."*) echo "< 10 x the 100 000/s figure" ;;
    *"kernel's floor"*) echo "-" ;;
    "headless node"*) echo "<= 1.1 x bare" ;;
    decoder*) echo ">= 2" ;;
    *"one core"*) echo "-" ;;
  esac
}
printf '%-92s %10s  %-28s %10s %7s\n' figure value aim baseline ratio
cut -f1 "$results" | awk '!seen[$0]++' | while IFS= read -r row; do
  median() { sort -g | awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)] }'; }
  value=$(awk -F'\t' -v r="$row" '$1 == r { print $2 }' "$results" | median)
  base=$(awk -F'\t' -v r="$row" '$1 == r && $3 != "" { print $3 }' "$results" | median)
  ratio=$(awk -v v="$value" -v b="$base" 'BEGIN { if (b != "" && b + 0 > 0) printf "%.2f", v / b; else print "-" }')
  printf '%-92s %10s  %-28s %10s %7s\n' "$row" "$value" "$(aim "$row")" "${base:--}" "$ratio"
done
