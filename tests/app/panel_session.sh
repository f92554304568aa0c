# Sourced by the end-to-end test and the panel measurements: runs a program
# under Xvfb in a network namespace of its own ("tx"), joined by a veth pair to
# a second namespace ("rx"). Both are created here and removed by
# session_cleanup; nothing is ever sent on this machine's own network.

session_pids=()
session_work=$(mktemp -d)

# Creates the namespaces, or returns 1 where the process may not.
session_namespaces() {
  if ! ip netns add "panel-probe-$$" 2>/dev/null; then
    return 1
  fi
  ip netns del "panel-probe-$$"
  tx="panel-tx-$$"; rx="panel-rx-$$"
  local net=$((($$ % 200) + 20))
  tx_ip="10.213.$net.1"; rx_ip="10.213.$net.2"
  ip netns add "$tx"; ip netns add "$rx"
  ip link add vtx netns "$tx" type veth peer name vrx netns "$rx"
  ip -n "$tx" addr add "$tx_ip/24" dev vtx
  ip -n "$rx" addr add "$rx_ip/24" dev vrx
  ip -n "$tx" link set lo up; ip -n "$rx" link set lo up
  ip -n "$tx" link set vtx up; ip -n "$rx" link set vrx up
  # Without a route the limited broadcast has no way out.
  ip -n "$tx" route add default dev vtx
}

# The same, or ends the test as skipped (CTest's code 77) where it may not.
session_namespaces_or_skip() {
  session_namespaces && return 0
  echo "SKIP: network namespaces cannot be created here (run as root)"
  exit 77
}

session_cleanup() {
  local p
  for p in "${session_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${tx:-}" ] && ip netns del "$tx" 2>/dev/null
  [ -n "${rx:-}" ] && ip netns del "$rx" 2>/dev/null
  rm -rf "$session_work"
}

now_ms() { date +%s%3N; }

# Runs a command in the sending namespace, on the session's display.
in_tx() { ip netns exec "$tx" env -u QT_QPA_PLATFORM DISPLAY=":$display" "$@"; }

# Starts a program there in the background; $program_pid is the program's own
# pid (ip and env exec it), so it can be measured and ended.
spawn_in_tx() {
  ip netns exec "$tx" env -u QT_QPA_PLATFORM DISPLAY=":$display" "$@" &
  program_pid=$!
  session_pids+=("$program_pid")
}

# Starts Xvfb inside the sending namespace and sets $display.
session_display() {
  local fifo="$session_work/display"
  exec 3>"$fifo"
  # -noreset: by default the server resets when its last client leaves, and a
  # program connecting just as a probe (or a window search) disconnects is
  # refused.
  ip netns exec "$tx" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    >"$session_work/xvfb.log" 2>&1 &
  session_pids+=($!)
  exec 3>&-
  for _ in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  display=$(head -n1 "$fifo")
  # Under load the server can name its display before it takes connections.
  for _ in $(seq 50); do
    in_tx xdotool getmouselocation >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "FAIL: Xvfb did not answer on display :$display"
  cat "$session_work/xvfb.log"
  return 1
}

# Receives on port 16520 in the peer namespace into $session_work/received.
session_receive() {
  ip netns exec "$rx" "$1" 16520 100000 "$2" >"$session_work/received" &
  session_pids+=($!)
}

# session_listening NAMESPACE PORT...: waits (10 s at most) until a UDP
# socket of that namespace is bound to each port, so that nothing is sent
# before a receiver that starts slowly (a sanitized build) can hear it.
session_listening() {
  local namespace=$1 port
  shift
  for port in "$@"; do
    for _ in $(seq 200); do
      [ -n "$(ip netns exec "$namespace" ss -Hluna "sport = :$port")" ] && continue 2
      sleep 0.05
    done
    echo "FAIL: nothing listens on UDP $port in $namespace after 10 s"
    return 1
  done
}

# The visible window of process $1, if it has one yet. Found by the process id
# the toolkit stores on it, not by its title: xdotool matches a Japanese title
# only under a UTF-8 locale, which a fresh machine does not have.
window_of() { in_tx xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n1 || true; }

# Starts a program in the sending namespace; sets $program_pid and, once its
# window is visible, $window. Fails, saying why, if no window shows in 20 s.
# A program that could not reach the display is started once more: on a busy
# machine the first connection has been seen refused while the server
# answered probes both before and after it.
session_program() {
  local attempt
  for attempt in 1 2; do
    spawn_in_tx "$1" >"$session_work/stdout" 2>"$session_work/stderr"
    wait_for_window && return 0
    grep -q 'cannot show the window' "$session_work/stderr" || break
    echo "NOTE: attempt $attempt: $(cat "$session_work/stderr")"
  done
  echo "FAIL: no window from $1 within 20 s"
  echo "--- program output"; cat "$session_work/stdout" "$session_work/stderr"
  echo "--- display server output"; cat "$session_work/xvfb.log"
  return 1
}

# Waits up to 20 s for the window of $program_pid, or until it ends.
wait_for_window() {
  local _
  for _ in $(seq 200); do
    window=$(window_of "$program_pid")
    [ -n "$window" ] && return 0
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Closes the window as a window manager does and waits up to 5 s for the
# program to end; sets $exit_status (124 if it did not end).
session_close() {
  in_tx "$1" "$window"
  local _
  for _ in $(seq 50); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    exit_status=124
  else
    exit_status=0
    wait "$program_pid" || exit_status=$?
  fi
}

# Clicks at window coordinates.
session_click() { in_tx xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
