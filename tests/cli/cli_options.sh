#!/usr/bin/env bash
# Options as a user types them: each refused one gives exactly one line on
# standard error naming the option, the value and what is allowed, exit
# status 2 and nothing on standard output (so nothing was sent or printed);
# --help lists every option with its default; --version prints the version.
#   cli_options.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Arguments (split on spaces) | the error line. A row whose check could be
# missed runs dry, so even then nothing is sent.
while IFS='|' read -r arguments expected; do
  # shellcheck disable=SC2086
  "$program" $arguments >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$arguments: exit status $status, expected 2"
  [ ! -s "$work/out" ] || fail "$arguments: wrote to standard output: $(head -c 200 "$work/out")"
  [ "$(cat "$work/err")" = "$expected" ] || fail "$arguments: said '$(cat "$work/err")', expected '$expected'"
done <<EOF_ROWS
node --room 200|setarome-cli: node: --room: 200 is out of range 0..127
node --region -1|setarome-cli: node: --region: -1 is out of range 0..127
node --order 30001|setarome-cli: node: --order: 30001 is out of range 0..30000
node --priority 99999999999999999999|setarome-cli: node: --priority: 99999999999999999999 is out of range 0..30
node --room 1x|setarome-cli: node: --room: 1x is not an integer in 0..127
node --cycle 4 --source periodic|setarome-cli: node: --cycle: 4 is out of range 5..99999
node --count 0|setarome-cli: node: --count: 0 is out of range 1..2147483647
node --port 65536|setarome-cli: node: --port: 65536 is out of range 1..65535
node --interval 5|setarome-cli: node: --interval: 5 is not one of 1|10|60
node --source sine|setarome-cli: node: --source: sine is not one of fixed|periodic|random|random2|file
node --rain yes|setarome-cli: node: --rain: yes is not one of on|off
node --type WRainfallWRainfall12|setarome-cli: node: --type: must be at most 19 characters, got 20
node --ip 1234567890123456789012345|setarome-cli: node: --ip: must be at most 24 characters, got 25
node --dry-run --count 1 --type a"b|setarome-cli: node: --type: must not hold control characters or <>&"
node --dry-run --count 1 --ip 10.0.0.1<|setarome-cli: node: --ip: must not hold control characters or <>&"
node --dry-run --count 1 --type ©|setarome-cli: node: --type: must hold only characters Shift-JIS can encode, got '©'
node --to 10.0.0|setarome-cli: node: --to: 10.0.0 is not an IPv4 address (a.b.c.d)
node --to example.com|setarome-cli: node: --to: example.com is not an IPv4 address (a.b.c.d)
node --rain on --source random|setarome-cli: node: --rain: only with --source fixed
node --cycle 10|setarome-cli: node: --cycle: only with --source periodic
node --loop|setarome-cli: node: --loop: only with --source file
node --source file|setarome-cli: node: --source: file needs --file PATH
node --source file --file /|setarome-cli: node: --file: / cannot be opened as a regular file
node --source file --file /no/such/file|setarome-cli: node: --file: /no/such/file cannot be opened as a regular file
node --interface no-such-if0|setarome-cli: node: --interface: no-such-if0 is no network interface here
node --volume|setarome-cli: node: The following argument was not expected: --volume
|setarome-cli: A subcommand is required
EOF_ROWS

# A control character would break the one-line log and message.
"$program" node --type $'Rain\nfall' >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && [ "$(cat "$work/err")" = "setarome-cli: node: --type: must not hold control characters or <>&\"" ] ||
  fail "a control character in --type: status $status, '$(cat "$work/err")'"

# An empty type or <IP> text makes a message no receiver reads.
for option in --type --ip; do
  "$program" node --dry-run --count 1 "$option" "" >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] && [ ! -s "$work/out" ] &&
    [ "$(cat "$work/err")" = "setarome-cli: node: $option: must not be empty" ] ||
    fail "an empty $option: status $status, '$(cat "$work/err")'"
done

"$program" node --help >"$work/help" 2>&1 || fail "--help: exit status $?"
for option in "--source fixed|periodic|random|random2|file=fixed" "--rain on|off=off" \
  "--cycle 5..99999=60" "--file PATH" "--loop" "--interval 1|10|60=10" "--type TEXT=WRainfall" \
  "--room 0..127=1" "--region 0..127=1" "--order 0..30000=1" "--priority 0..30=29" "--ip TEXT" \
  "--to ADDRESS=255.255.255.255" "--port 1..65535=16520" "--interface NAME" "--dry-run" "--json" \
  "--count N"; do
  grep -qF -- "  $option" "$work/help" || fail "--help does not list '$option'"
done
grep -q "CAP_NET_RAW" "$work/help" || fail "--help does not say what --interface needs"

[ "$("$program" --version)" = "setarome-cli 1.2" ] || fail "--version printed '$("$program" --version)'"

[ "$failures" -eq 0 ] || exit 1
echo "options: every refusal as expected"
