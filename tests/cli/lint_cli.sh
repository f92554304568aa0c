#!/usr/bin/env bash
# setarome-cli lint as a node author's CI runs it, on text, one whole
# datagram and a capture; no network involved:
# - exit status 0 when clean, 1 when anything is found (a message that does
#   not decode too), 2 for bad usage or an input not read in full;
# - one escaped line per finding (FILE:LINE or SOURCE first), or one JSON
#   object with --json, and the summary on standard error;
# - decimals judged against a CCMSCAN reply earlier in the input or --cast.
#   lint_cli.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

head='<?xml version="1.0"?><UECS ver="1.00-E10">'
data="$head"'<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">23.5</DATA><IP>10.0.0.1</IP></UECS>'
reply="$head"'<CCMNUM page="1" total="1">1</CCMNUM><CCM No="1" room="1" region="2" order="3" priority="15" cast="2" unit="C" SR="S" LV="A-1S-0">InAirTemp</CCM></UECS>'

# expect NAME STATUS STDOUT [STDERR_LINE] -- ARGS...: one run, checked.
expect() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  local got=0
  "$program" lint "$@" >"$work/out" 2>"$work/err" <"$work/stdin" || got=$?
  [ "$got" -eq "$status" ] || fail "$name: exit status $got, expected $status"
  [ "$(cat "$work/out")" = "$out" ] || fail "$name: wrote '$(cat "$work/out")', expected '$out'"
  [ "$(tail -n1 "$work/err")" = "$err" ] || fail "$name: said '$(cat "$work/err")', expected '$err'"
}

printf '%s\n%s\n' "$data" "$data" >"$work/clean.txt"
: >"$work/stdin"
expect clean 0 "" "setarome-cli: lint: 2 messages, 0 with findings (0 findings)" -- --raw "$work/clean.txt"

printf '%s\n\n%s\n%s\n' "$data" "${data/room=\"1\"/room=\"300\"}" 'hello' >"$work/stdin"
expect found 1 "<stdin>:3: data: out-of-range: room \"300\" is outside 0..127
<stdin>:4: -: undecodable: text before the root element (byte 0)" \
  "setarome-cli: lint: 3 messages, 2 with findings (2 findings)" -- --raw -

printf '%s\r\n' "$data" >"$work/stdin"
expect datagram 1 "<stdin>:1: data: trailing-line-break: a line break after the message" \
  "setarome-cli: lint: 1 message, 1 with findings (1 finding)" -- --datagram -

# The value has 1 decimal; the reply announced 2, --cast says 1.
printf '%s\n%s\n' "$reply" "$data" >"$work/announced.txt"
: >"$work/stdin"
expect announced 1 "$work/announced.txt:2: data: value-decimals: value \"23.5\" has 1 decimal; InAirTemp is announced with cast=\"2\"" \
  "setarome-cli: lint: 2 messages, 1 with findings (1 finding)" -- --raw "$work/announced.txt"
expect cast 0 "" "setarome-cli: lint: 2 messages, 0 with findings (0 findings)" -- --raw "$work/clean.txt" --cast InAirTemp=1
printf '%s\n' "$data" >"$work/one.txt"
expect cast_json 1 '{"file":"'"$work"'/one.txt","line":1,"kind":"data","code":"value-decimals","detail":"value \"23.5\" has 1 decimal; InAirTemp is announced with cast=\"0\""}' \
  "setarome-cli: lint: 1 message, 1 with findings (1 finding)" -- --raw "$work/one.txt" --cast InAirTemp=0 --json

# A capture: its file, line and source name the message; a line not read is
# exit status 2 and the rest is still judged. Text that would reorder the
# terminal's line is escaped. (U+202E reverses the text after it; its UTF-8
# bytes read as Shift-JIS too.)
bad_ip=$(printf '%s' "${data/10.0.0.1/$'\xe2\x80\xae'1.0.0.01}" | base64 -w0)
{
  printf '{"time":"2026-12-08T23:10:04.000001+09:00","source":"10.0.0.7","port":16520,"bytes":"%s"}\n' "$bad_ip"
  printf '{"time":"2026-12-08T23:10:05+09:00","source":"10.0.0.8","port":16520}\n'
} >"$work/capture.jsonl"
expect capture 2 "$work/capture.jsonl:1: 10.0.0.7: data: ambiguous-encoding: text from byte 124 reads as UTF-8 and as Shift-JIS alike; read as UTF-8, by default
$work/capture.jsonl:1: 10.0.0.7: data: ip-not-ipv4: <IP> \"\\u202e1.0.0.01\" is not an IPv4 address" \
  "setarome-cli: lint: 1 message, 1 with findings (2 findings), 1 line not read" -- "$work/capture.jsonl"
grep -qx "setarome-cli: lint: $work/capture.jsonl:2: no \"bytes\"" "$work/err" ||
  fail "capture: the refused line: $(cat "$work/err")"

# The same datagram as a pcap file, from standard input: its record number
# names it; a pcap file cut inside its record is refused there.
head -n1 "$work/capture.jsonl" >"$work/one.jsonl"
"$program" convert "$work/one.jsonl" "$work/one.pcap" || fail "convert to pcap"
cp "$work/one.pcap" "$work/stdin"
expect pcap 1 "<stdin>:1: 10.0.0.7: data: ambiguous-encoding: text from byte 124 reads as UTF-8 and as Shift-JIS alike; read as UTF-8, by default
<stdin>:1: 10.0.0.7: data: ip-not-ipv4: <IP> \"\\u202e1.0.0.01\" is not an IPv4 address" \
  "setarome-cli: lint: 1 message, 1 with findings (2 findings)" -- -
head -c 60 "$work/one.pcap" >"$work/cut.pcap"
: >"$work/stdin"
expect cut_pcap 2 "" "setarome-cli: lint: 0 messages, 0 with findings (0 findings), 1 line not read" -- "$work/cut.pcap"
grep -q "^setarome-cli: lint: $work/cut.pcap:1: truncated dump file" "$work/err" ||
  fail "cut pcap: $(cat "$work/err")"

# Terminal controls from the wire (CSI and OSC in a capture's source, U+202E
# in a value) reach neither output raw; JSON keeps them as escapes.
controls=$(printf '%s' "${data/23.5/$'\xc2\x9d'0;x$'\xe2\x80\xae'}" | base64 -w0)
printf '{"time":"2026-12-08T23:10:04+09:00","source":"10.0.0.7\\u009b2J","port":16520,"bytes":"%s"}\n' \
  "$controls" >"$work/controls.jsonl"
for form in text json; do
  "$program" lint "$work/controls.jsonl" $([ $form = json ] && echo --json) >"$work/out" 2>/dev/null
  LC_ALL=C grep -q $'[\x9b\x9d]\|\xe2\x80\xae' "$work/out" && fail "controls: raw in $form: $(cat -v "$work/out")"
done
grep -qF '"source":"10.0.0.7\u009b2J","kind":"data","code":"value-not-number"' "$work/out" &&
  grep -qF '\u009d0;x\u202e' "$work/out" || fail "controls: $(cat -v "$work/out")"

expect missing 2 "" "setarome-cli: lint: $work/missing: No such file or directory" -- "$work/missing"
expect no_input 2 "" "setarome-cli: lint: a capture FILE, --raw, --datagram or --live is needed" --
expect two_inputs 2 "" "setarome-cli: lint: FILE excludes --raw" -- "$work/capture.jsonl" --raw -
expect bad_cast 2 "" "setarome-cli: lint: --cast: InAirTemp is not TYPE=N with N 0..9" -- --raw - --cast InAirTemp
expect live_only 2 "" "setarome-cli: lint: --scans, --link, --interface, --count and --duration need --live" -- --raw - --count 3
expect port_without_file 2 "" "setarome-cli: lint: --port needs --live or a capture FILE" -- --raw - --port 16600

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "lint: exit status 0, 1 and 2 as documented; findings named by line and source"
