#!/usr/bin/env bash
# The service unit passes systemd-analyze verify without a single complaint
# (it only warns about unknown settings, so any output fails the test).
#   verify_unit.sh UNIT_TEMPLATE PROGRAM
set -euo pipefail
template=$1
program=$2
if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An instance name, as systemctl would start it; verify needs the program to exist.
unit="$work/$(basename "$template" .in | sed "s/@/@bench/")"
sed "s|@SETAROME_CLI@|$program|" "$template" >"$unit"
status=0
output=$(systemd-analyze verify "$unit" 2>&1) || status=$?
if [ "$status" -ne 0 ] || [ -n "$output" ]; then
  echo "FAIL: systemd-analyze verify (status $status):"
  echo "$output"
  exit 1
fi
echo "unit verified"
