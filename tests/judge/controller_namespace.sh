#!/usr/bin/env bash
# setarome-cli test against the controller stand-in, one namespace pair per
# variant ("tx" runs the test, "rx" the stand-in), all created here and
# removed on exit; the variants run in parallel. The three shipped test
# scenarios must all pass against "good" (the roof vent's actuator following
# the controller's command) and each faulty variant must fail
# with the evidence it deserves, in text and (flap) JSON; --capture keeps the
# controller's traffic; SIGTERM ends a run with the rest undecided. A sixth
# pair runs the good variant against an actuator that sticks and then goes
# silent by its scenario's fault events.
#   controller_namespace.sh PROGRAM STANDIN SCENARIO_DIR
set -euo pipefail
program=$1
standin=$2
scenarios=$3
report_schema=$4
source "$(dirname "$0")/../app/panel_session.sh"
variants=(good late none wrong-room flap faults)
pairs=()
cleanup() {
  session_cleanup
  local pair
  for pair in "${pairs[@]}"; do ip netns del "$pair" 2>/dev/null || true; done
}
trap cleanup EXIT

if ! ip netns add "judge-probe-$$" 2>/dev/null; then
  echo "SKIP: network namespaces cannot be created here (run as root)"
  exit 77
fi
ip netns del "judge-probe-$$"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# pair INDEX: namespaces judge-tx-PID-INDEX and judge-rx-PID-INDEX on 10.216.INDEX.0/24.
pair() {
  local tx="judge-tx-$$-$1" rx="judge-rx-$$-$1"
  pairs+=("$tx" "$rx")
  ip netns add "$tx"; ip netns add "$rx"
  ip link add vtx netns "$tx" type veth peer name vrx netns "$rx"
  ip -n "$tx" addr add "10.216.$1.1/24" dev vtx
  ip -n "$rx" addr add "10.216.$1.2/24" dev vrx
  ip -n "$tx" link set lo up; ip -n "$rx" link set lo up
  ip -n "$tx" link set vtx up; ip -n "$rx" link set vrx up
  ip -n "$tx" route add default dev vtx
}

files=("$scenarios/vents-close-on-rain.toml" "$scenarios/heating-on-a-cold-night.toml"
       "$scenarios/wind-closes-windward-vents.toml")
for i in "${!variants[@]}"; do
  pair "$i"
  # Bounded: it stops sending after 40 s whatever happens.
  behaviour=${variants[$i]}
  [ "$behaviour" = faults ] && behaviour=good
  ip netns exec "judge-rx-$$-$i" "$standin" "$behaviour" 16600 "10.216.$i.1" 40 >/dev/null &
  session_pids+=($!)
done
for i in "${!variants[@]}"; do session_listening "judge-rx-$$-$i" 16600; done
cat >"$session_work/faults.toml" <<'TOML'
duration = 7
[[node]]
address = "auto"
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "constant", value = 0 }
[[node.actuator]]
command = { type = "VenRfWin.rcA", room = 1, region = 1, order = 1 }
state = { type = "VenRfWin.opr", level = "A-1S-0" }
rate = 50
initial = 100
[[event]]
at = 2
ccm = "WRainfall"
value = 1
[[event]]
name = "stuck"
at = 3
ccm = "VenRfWin.opr"
fault = "stuck"
[[event]]
name = "mute"
at = 5
ccm = "VenRfWin.opr"
fault = "silent"
[[expect]]
name = "stuck half way"
ccm = { type = "VenRfWin.opr" }
after = "stuck"
within = 1
between = [40, 60]
holds = 1
[[expect]]
name = "never shut"
ccm = { type = "VenRfWin.opr" }
after = "stuck"
never = true
value = 0
[[expect]]
name = "silent once muted"
ccm = { type = "VenRfWin.opr" }
after = "mute"
silent = true
within = 1
holds = 1.5
TOML
for i in "${!variants[@]}"; do
  run_files=("${files[@]}")
  [ "${variants[$i]}" = faults ] && run_files=("$session_work/faults.toml")
  extra=()
  [ "${variants[$i]}" = flap ] && extra=(--json)
  [ "${variants[$i]}" = good ] && extra=(--capture "$session_work/good.capture")
  # A passing and a failing run write their reports too.
  case ${variants[$i]} in good | late)
    extra+=(--junit "$session_work/${variants[$i]}.xml" --report "$session_work/${variants[$i]}.html") ;;
  esac
  (
    set +e
    ip netns exec "judge-tx-$$-$i" "$program" test "${run_files[@]}" --to "10.216.$i.2" --port 16600 \
      --interface vtx "${extra[@]}" >"$session_work/${variants[$i]}.out" 2>&1
    echo $? >"$session_work/${variants[$i]}.status"
  ) &
  session_pids+=($!)
done
wait "${session_pids[@]:${#variants[@]}}"

# expect VARIANT STATUS PATTERN...: the exit status, and each pattern in its output.
expect() {
  local variant=$1 status=$2 pattern
  shift 2
  [ "$(cat "$session_work/$variant.status")" = "$status" ] ||
    fail "$variant: exit status $(cat "$session_work/$variant.status"), not $status"
  for pattern in "$@"; do
    grep -qE -- "$pattern" "$session_work/$variant.out" || fail "$variant: no line like: $pattern"
  done
}

expect good 0 "^PASS  vents open while dry .* value 100 from 10\.216\.0\.2:" \
  "^PASS  vents close when it rains \(within, value = 0\) .*>0</DATA>" \
  "^PASS  heater on when it gets cold " "^PASS  heater commands conform " \
  "^PASS  roof vent reports itself shut .* value 0 from 10\.216\.0\.1 \(this station\)" \
  "^PASS  windward vent closes " "^PASS  leeward vent stays open " \
  "vents-close-on-rain.toml: 3 passed, 0 failed, 0 undecided"
[ "$(grep -c '^PASS' "$session_work/good.out")" = 7 ] || fail "good: not seven verdicts"

# report VARIANT FAILURES: the JUnit file as its schema says, one testcase and
# one chart per verdict printed, the failures counted, the page valid HTML5.
report() {
  local variant=$1 failures=$2 verdicts
  verdicts=$(grep -cE '^(PASS|FAIL|UNDECIDED) ' "$session_work/$variant.out")
  xmllint --noout --schema "$report_schema" "$session_work/$variant.xml" 2>/dev/null ||
    fail "$variant: the JUnit file does not follow its schema"
  [ "$(grep -c '<testcase ' "$session_work/$variant.xml")" = "$verdicts" ] ||
    fail "$variant: not one testcase per verdict"
  [ "$(grep -c '<failure ' "$session_work/$variant.xml")" = "$failures" ] ||
    fail "$variant: not $failures failures in the JUnit file"
  [ "$(grep -c '<section class="expectation ' "$session_work/$variant.html")" = "$verdicts" ] &&
    [ "$(grep -c '<svg ' "$session_work/$variant.html")" = "$verdicts" ] ||
    fail "$variant: not one section and chart per verdict in the page"
  tidy -quiet -errors --doctype html5 "$session_work/$variant.html" 2>/dev/null ||
    fail "$variant: the page is not valid HTML5"
}
if command -v xmllint >/dev/null && command -v tidy >/dev/null; then
  report good 0
  report late "$(grep -c '^FAIL ' "$session_work/late.out")"
  [ "$(grep -c '<failure ' "$session_work/late.xml")" -gt 0 ] || fail "late: no failure in the JUnit file"
fi
expect late 1 "^PASS  vents open while dry " \
  "^FAIL  vents close when it rains .*nothing matching arrived; last value seen 100 at" \
  "^FAIL  heater on when it gets cold .*last value seen 0 at" \
  "^FAIL  windward vent closes .*last value seen 100 at"
expect none 1 "^FAIL  vents open while dry .*at 2\.00 s: nothing matching arrived; no value seen" \
  "^FAIL  roof vent reports itself shut .*at 6\.00 s: nothing matching arrived; last value seen 100 at" \
  "^FAIL  vents close when it rains .*no value seen" "^FAIL  windward vent closes .*no value seen" \
  "^PASS  leeward vent stays open "
expect wrong-room 1 "^FAIL  vents open while dry .*no value seen" \
  "^FAIL  heater on when it gets cold .*no value seen" "^PASS  heater commands conform "
expect flap 1
python3 - "$session_work/flap.out" <<'PY' || fail "flap: JSON verdicts"
import json, sys
lines = [json.loads(line) for line in open(sys.argv[1])]
verdicts = {l["expectation"]: l for l in lines if "expectation" in l}
rain = verdicts["vents close when it rains"]
assert rain["outcome"] == "fail", rain
assert rain["evidence"]["note"] == "value 100 while it had to hold", rain
assert ">100</DATA>" in rain["evidence"]["datagram"], rain
assert rain["evidence"]["source"].startswith("10.216.4.2:"), rain
assert verdicts["vents open while dry"]["outcome"] == "pass"
summaries = [l for l in lines if "summary" in l]
assert len(summaries) == 3 and summaries[0]["summary"]["failed"] >= 1, summaries
# A run lasts at least until its last verdict.
for summary in summaries:
    last = max(l["decided"] for l in lines if l.get("file") == summary["file"] and "decided" in l)
    assert summary["summary"]["seconds"] >= last, (summary, last)
PY
python3 - "$session_work/good.capture" <<'PY' || fail "good: the capture"
import base64, json, sys
records = [json.loads(line) for line in open(sys.argv[1])]
assert any(b"VenRfWin.rcA" in base64.b64decode(r["bytes"]) and r["source"] == "10.216.0.2"
           for r in records), len(records)
# The stimulus is kept too, once each, as sent.
rain = [r for r in records if b"WRainfall" in base64.b64decode(r["bytes"])]
assert rain and all(r["source"] == "10.216.0.1" and r["source_port"] == 0 for r in rain), rain
assert len(rain) == len({r["time"] for r in rain}), rain
PY
expect faults 0 "^PASS  stuck half way " "^PASS  never shut " \
  "^PASS  silent once muted .*nothing matching arrived from 5 s to 6\.5 s"

# The station's own CCM judged as sent, broadcast to 16520 so that it also
# comes back to the receiver: it counts once, is captured once, and the run
# lasts until its verdict (in parallel with the SIGTERM run below).
cat >"$session_work/own.toml" <<'TOML'
duration = 4
[[node]]
address = "auto"
[[node.ccm]]
type = "WRainfall"
level = "A-1S-0"
generator = { kind = "constant", value = 0 }
[[event]]
name = "rain"
at = 1
ccm = "WRainfall"
value = 1
[[expect]]
name = "own rain"
ccm = { type = "WRainfall" }
after = "rain"
within = 1
value = 1
TOML
ip netns exec "judge-tx-$$-5" "$program" test "$session_work/own.toml" --interface vtx --json \
  --capture "$session_work/own.capture" >"$session_work/own.out" 2>&1 &
own_pid=$!

# SIGTERM once the first verdict is out: the rest is undecided, exit status 1.
ip netns exec "judge-tx-$$-2" "$program" test "${files[0]}" --to 10.216.2.2 --port 16600 \
  --interface vtx >"$session_work/sigterm.out" 2>&1 &
sigterm_pid=$!
for _ in $(seq 200); do
  grep -q '^FAIL' "$session_work/sigterm.out" && break
  sleep 0.05
done
kill -TERM "$sigterm_pid"
status=0
wait "$sigterm_pid" || status=$?
[ "$status" = 1 ] || fail "sigterm: exit status $status, not 1"
grep -qE "^UNDECIDED  vents close when it rains .*the run was stopped" "$session_work/sigterm.out" ||
  fail "sigterm: no undecided verdict"
wait "$own_pid" || fail "own: exit status $?"
python3 - "$session_work/own.out" "$session_work/own.capture" <<'PY' || fail "own: verdict or capture"
import base64, json, sys
lines = [json.loads(line) for line in open(sys.argv[1])]
verdict, summary = lines
assert verdict["outcome"] == "pass" and verdict["evidence"]["source"].endswith("(this station)"), verdict
assert summary["summary"]["seconds"] >= verdict["decided"], (summary, verdict)
# The stand-in of this pair goes on commanding: only the rain is ours.
records = [r for r in map(json.loads, open(sys.argv[2]))
           if b"WRainfall" in base64.b64decode(r["bytes"])]
assert records and all(r["source_port"] == 0 for r in records), records
assert len(records) == len({(r["time"], r["bytes"]) for r in records}), records
PY

if [ "$failures" -ne 0 ]; then
  for variant in "${variants[@]}" sigterm own; do
    echo "--- $variant"; cat "$session_work/$variant.out"
  done
  exit 1
fi
echo "controller stand-in: every variant judged as it deserves"
