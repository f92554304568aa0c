#!/usr/bin/env bash
# setarome-cli scan without a network: the requests a dry run prints, and
# refused options (one line naming the option, exit status 2).
#   scan_options.sh PROGRAM
set -euo pipefail
program=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
head='<?xml version="1.0"?><UECS ver="1.00-E10">'

[ "$("$program" scan --dry-run)" = "$head<NODESCAN/></UECS>" ] || fail "dry run: NODESCAN"
[ "$("$program" scan --dry-run --search InAirTemp:2:0:3)" = \
  "$head<SEARCH type=\"InAirTemp\" room=\"2\" region=\"0\" order=\"3\"/></UECS>" ] ||
  fail "dry run: SEARCH"
[ "$("$program" scan --dry-run --search cnd)" = \
  "$head<SEARCH type=\"cnd\" room=\"0\" region=\"0\" order=\"0\"/></UECS>" ] ||
  fail "dry run: SEARCH of a type alone"

refused() {
  local expected=$1
  shift
  local status=0 err
  err=$("$program" scan "$@" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 2 ] && [ "$err" = "$expected" ] ||
    fail "scan $*: status $status, '$err', expected '$expected'"
}
refused "setarome-cli: scan: --search: InAirTemp:200:0:0 is not TYPE or TYPE:ROOM:REGION:ORDER within 127:127:30000" \
  --search InAirTemp:200:0:0
refused "setarome-cli: scan: --search: InAirTemp:1:1 is not TYPE or TYPE:ROOM:REGION:ORDER within 127:127:30000" \
  --search InAirTemp:1:1
refused "setarome-cli: scan: --search: :1:1:1 is not TYPE or TYPE:ROOM:REGION:ORDER within 127:127:30000" \
  --search :1:1:1
refused "setarome-cli: scan: --search: the type is empty; give TYPE or TYPE:ROOM:REGION:ORDER" \
  --search '' --dry-run
refused "setarome-cli: scan: --timeout: 0 is out of range 0.1..60" --timeout 0
refused "setarome-cli: scan: --timeout: 1e9 is out of range 0.1..60" --timeout 1e9
refused "setarome-cli: scan: --timeout: 2s is not a number in 0.1..60" --timeout 2s
refused "setarome-cli: scan: --timeout: nan is not a number in 0.1..60" --timeout nan
refused "setarome-cli: scan: --to: 10.0.0.256 is not an IPv4 address (a.b.c.d)" --to 10.0.0.256
refused "setarome-cli: scan: --interface: no-such-nic is no network interface here" \
  --interface no-such-nic
"$program" scan --ccms --search cnd >/dev/null 2>&1 && fail "--ccms with --search accepted"
"$program" scan --port 16529 >/dev/null 2>&1 && fail "--port accepted"

[ "$failures" -eq 0 ] || exit 1
echo "scan options: dry runs and refusals as expected"
