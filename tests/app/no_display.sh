#!/usr/bin/env bash
# Without a window system the program must fail plainly: one line on standard
# error naming the cause, and a non-zero status that is not a crash. It ends
# before the panel exists, so nothing is sent.
#   no_display.sh PROGRAM
set -uo pipefail
program=$1
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

check() {
  local what=$1; shift
  env -i "$@" timeout 20 "$program" >/dev/null 2>"$errors"
  local status=$?
  if [ "$status" -eq 0 ] || [ "$status" -ge 124 ]; then
    echo "FAIL ($what): exit status $status"; cat "$errors"; exit 1
  fi
  if [ "$(wc -l <"$errors")" -ne 1 ] || ! grep -q '^setarome: cannot show the window: .' "$errors"; then
    echo "FAIL ($what): standard error is not one line naming the cause:"; cat "$errors"; exit 1
  fi
  echo "$what: status $status, $(cat "$errors")"
}

check "empty environment"
check "a display that does not exist" QT_QPA_PLATFORM=xcb DISPLAY=:7913
check "a platform that is not installed" QT_QPA_PLATFORM=no-such-platform
