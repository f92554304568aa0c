#!/usr/bin/env bash
# The Wireshark dissector against lint: a station's run and the test
# datagrams (every form, every finding code, every kind of refusal) as one
# capture, JSON lines for lint and our decoder, pcap (made with text2pcap)
# for tshark with uecs.lua. Datagram by datagram, tshark must print the kind,
# the fields and the findings (code, detail, expert information) that the
# decoder and lint give. No network involved. Skips (77) without tshark.
#   dissector_tshark.sh SETAROME_CLI DECODED_FIELDS SOURCE_DIR
set -uo pipefail
cli=$1
decoded_fields=$2
source=$3
here="$source/tests/packaging"
for tool in tshark text2pcap mergecap editcap python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# To standard error: a failure inside dissect() would go to its output file.
fail() { echo "FAIL: $*" >&2; exit 1; }

# Its Shift-JIS table is this system's iconv's, as the decoder's converter.
python3 "$source/packaging/wireshark/make_cp932_rows.py" >"$work/rows.lua" || fail "make_cp932_rows.py"
grep '^\[0x' "$source/packaging/wireshark/uecs.lua" | cmp -s - "$work/rows.lua" ||
  fail "the Shift-JIS rows of uecs.lua are not what make_cp932_rows.py makes"

"$cli" station "$source/share/scenarios/weather-station.toml" --dry-run --json --count 2 \
  --speed 3600 >"$work/station.json" || fail "station run"
python3 "$here/uecs_capture.py" "$here/uecs_corpus.txt" "$work/station.json" "$work" ||
  fail "making the capture"
parts=()
while read -r group src sport dst dport; do
  text2pcap -q -t '%Y-%m-%dT%H:%M:%S.%f' -4 "$src,$dst" -u "$sport,$dport" "$work/$group.hex" \
    "$work/$group.pcap" >"$work/text2pcap.log" 2>&1 ||
    fail "text2pcap $group: $(cat "$work/text2pcap.log")"
  parts+=("$work/$group.pcap")
done <"$work/groups"
# In time order, that is in the capture's order.
mergecap -F pcap -w "$work/all.pcap" "${parts[@]}" || fail "mergecap"

"$decoded_fields" "$work/capture.jsonl" >"$work/decoded.json" || fail "decoded_fields"

# The fields to print: every one the dissector declares, and its experts.
fields=(-e uecs.kind -e uecs.ver -e uecs.finding -e uecs.detail -e _ws.expert.message)
for name in type room region order priority value ip name vendor uecsid mac page total count \
  number cast unit sr level; do
  fields+=(-e "uecs.$name")
done
# tshark with the dissector, personal preferences and plugins kept out. It
# warns root on standard error; nothing else may come there.
dissect() {
  local pcap=$1
  shift
  HOME=$work XDG_CONFIG_HOME=$work "${locale[@]}" tshark -n -X "lua_script:$source/packaging/wireshark/uecs.lua" \
    -r "$pcap" "$@" 2>"$work/tshark.err" || fail "tshark: $(cat "$work/tshark.err")"
  grep -v '^Running as user "root"' "$work/tshark.err" | grep . && fail "tshark wrote to standard error"
}

# As captured; then with decimals given by hand (lint --cast, the dissector's
# preference), which hold wherever no CCMSCAN reply announced the CCM, in
# two passes, as Wireshark shows a frame again, and in a locale whose
# letters and case differ from ASCII's (in Turkish 'I' lowers to a dotless
# i, and in Latin-5 0xC3 is a letter): judged alike.
localedef -i tr_TR -f ISO-8859-9 "$work/tr_TR.ISO-8859-9" || fail "localedef"
for casts in "" "InAirTemp=0 cnd=1"; do
  passes=() locale=(env)
  [ -z "$casts" ] || passes=(-2) locale=(env LOCPATH="$work" LC_ALL=tr_TR.ISO-8859-9)
  cast_options=()
  for cast in $casts; do cast_options+=(--cast "$cast"); done
  "$cli" lint "$work/capture.jsonl" --json "${cast_options[@]}" >"$work/lint.json" 2>"$work/lint.err"
  [ $? -eq 1 ] || fail "lint: $(cat "$work/lint.err")"
  dissect "$work/all.pcap" "${passes[@]}" -o "uecs.casts:$casts" -T json "${fields[@]}" >"$work/tshark.json"
  python3 "$here/uecs_compare.py" "$work/decoded.json" "$work/lint.json" "$work/tshark.json" ||
    fail "the dissector differs from lint${casts:+ with $casts}"
done

# An entry of the preference that is not TYPE=N is said, the others hold.
HOME=$work XDG_CONFIG_HOME=$work tshark -n -X "lua_script:$source/packaging/wireshark/uecs.lua" \
  -o "uecs.casts:InAirTemp=0 x=10" -r "$work/all.pcap" -T fields -e uecs.finding >"$work/refused.txt" \
  2>"$work/tshark.err" || fail "tshark: $(cat "$work/tshark.err")"
grep -qx 'tshark: UECS: Announced decimals: x=10 is not TYPE=N with N 0..9' "$work/tshark.err" &&
  grep -q value-decimals "$work/refused.txt" || fail "a refused preference: $(cat "$work/tshark.err")"

# A capture that kept only the first 18 bytes of each datagram: nothing is
# judged but the datagrams that short, each other says it is cut short.
editcap -s 60 "$work/all.pcap" "$work/cut.pcap" || fail "editcap"
locale=(env)
dissect "$work/cut.pcap" -T fields -e uecs.kind -e uecs.finding -e _ws.expert.message >"$work/cut.txt"
read -r whole cut < <(python3 -c 'import json, sys
sizes = [json.loads(line)["size"] for line in open(sys.argv[1])]
print(sum(s <= 18 for s in sizes), sum(s > 18 for s in sizes))' "$work/capture.jsonl")
[ "$(grep -c 'datagram cut short by the capture: 18 of' "$work/cut.txt")" -eq "$cut" ] &&
  [ "$(grep -vc 'cut short' "$work/cut.txt")" -eq "$whole" ] ||
  fail "cut short: $(sort "$work/cut.txt" | uniq -c)"
# Copied for one user as the README says, it is loaded with no option (last:
# with it there, -X lua_script would load it twice).
mkdir -p "$work/.local/lib/wireshark/plugins"
cp "$source/packaging/wireshark/uecs.lua" "$work/.local/lib/wireshark/plugins/"
HOME=$work XDG_CONFIG_HOME=$work tshark -n -r "$work/all.pcap" -c 1 -T fields -e uecs.kind \
  2>"$work/tshark.err" | grep -qx data || fail "not loaded from the personal plugin folder"
echo "dissector: the kinds, fields and findings of lint, datagram by datagram"
