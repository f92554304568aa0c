#!/usr/bin/env bash
# setarome-cli test refusing bad scenarios and options before anything is
# sent: one line with FILE:LINE:COLUMN or the option, exit status 2. No
# network involved: every case stops before a socket is opened.
#   test_options.sh PROGRAM
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# refused EXPECTED_LINE ARGS...
refused() {
  local expected=$1 status=0
  shift
  "$program" test "$@" >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" != 2 ] || [ "$(cat "$work/err")" != "$expected" ] || [ -s "$work/out" ]; then
    echo "FAIL: test $*: status $status, said: $(cat "$work/err")"
    failures=$((failures + 1))
  fi
}

cat >"$work/good.toml" <<'TOML'
[[node]]
address = "10.0.0.1"
[[node.ccm]]
type = "WRainfall"
generator = { kind = "constant", value = 0 }
[[expect]]
ccm = { type = "VenRfWin.rcA" }
value = 0
TOML
sed 's/type = "VenRfWin.rcA"/type = "VenRfWin.rcA", room = 200/' "$work/good.toml" >"$work/room.toml"
head -5 "$work/good.toml" >"$work/none.toml"

# The second file is bad: the first is not run either.
refused "setarome-cli: $work/room.toml:7:39: room must be 0..127, got 200" \
  "$work/good.toml" "$work/room.toml"
refused "setarome-cli: $work/none.toml: has no [[expect]]: nothing to judge" "$work/none.toml"
refused "setarome-cli: test: The following argument was not expected: --dry-run" \
  "$work/good.toml" --dry-run
refused "setarome-cli: test: --duration: 0 is no time (90, 90s, 15m, 2h, 1h30m, 1d; at most a year)" \
  "$work/good.toml" --duration 0
exit $((failures > 0))
