#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree as a desktop,
# man, systemd and bash will read it. A check whose tool is missing is
# skipped (exit 77 when nothing failed).
#   install_tree.sh BUILD_DIR CONFIGURED_BINDIR
set -uo pipefail
build=$1
configured_bindir=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
skips=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
have() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; skips=$((skips + 1)); return 1; }; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
share="$prefix/share"
cli="$prefix/bin/setarome-cli"

for program in setarome setarome-cli setarome-monitor; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
for file in applications/setarome.desktop icons/hicolor/scalable/apps/setarome.svg \
  applications/setarome-monitor.desktop icons/hicolor/scalable/apps/setarome-monitor.svg \
  man/man1/setarome.1.gz man/man1/setarome-cli.1.gz man/man1/setarome-monitor.1.gz \
  man/man5/setarome-scenario.5.gz \
  man/man5/setarome-capture.5.gz bash-completion/completions/setarome-cli \
  doc/setarome/copyright doc/setarome/example.conf; do
  [ -s "$share/$file" ] || fail "share/$file is missing or empty"
done
# The Wireshark dissector, in a Lua plugin folder of no Wireshark version.
find "$prefix" -path '*/wireshark/plugins/uecs.lua' | grep -q . ||
  fail "wireshark/plugins/uecs.lua is not installed"
# Each theme size holds a picture of that size.
for size in 16 22 24 32 48 64 128 256; do
  for icon in setarome setarome-monitor; do
    png="$share/icons/hicolor/${size}x${size}/apps/$icon.png"
    grep -q "PNG image data, $size x $size," <<<"$(file -b "$png")" || fail "$png: $(file -b "$png")"
  done
done

# The menu entry: valid, and naming a program and an icon that are installed.
for desktop in "$share"/applications/setarome*.desktop; do
  if have desktop-file-validate; then
    desktop-file-validate "$desktop" | grep -v ': hint: ' | grep . && fail "desktop-file-validate $desktop"
  fi
  [ -x "$prefix/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ] || fail "$desktop: Exec= names no installed program"
  [ -e "$share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] ||
    fail "$desktop: Icon= names no installed icon"
done

# The options of every subcommand, as --help lists them.
subcommands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$subcommands" ] || fail "setarome-cli --help lists no subcommand"
options_of() { "$cli" "$@" --help | grep -oE '^  (-[a-zA-Z],)?--[a-z][a-z0-9-]*' | sed 's/.*,//; s/^ *//'; }

# Manual pages: rendered without a warning, and setarome-cli(1) names every
# subcommand and option.
if have man; then
  for page in "$share"/man/man1/*.1.gz "$share"/man/man5/*.5.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $page: $warnings"
  done
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man1/setarome-cli.1.gz" 2>/dev/null |
    sed 's/\xe2\x88\x92/-/g; s/\xe2\x80\x90/-/g')
  for command in "" $subcommands; do
    [ -z "$command" ] || grep -qw -- "$command" <<<"$text" || fail "setarome-cli(1) lacks $command"
    for option in $(options_of $command); do
      grep -q -- "$option\b" <<<"$text" || fail "setarome-cli(1) lacks ${command:-setarome-cli} $option"
    done
  done
fi

# The file formats' pages name every key the scenario reader reads (and
# every generator kind), and every key and kind a capture line holds, as the
# sources spell them.
if have man; then
  src=$(cd "$(dirname "$0")/../../src" && pwd)
  page_lacks() { # PAGE WORD...: the words the page does not hold
    local text
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man5/$1.5.gz" 2>/dev/null)
    shift
    for word in "$@"; do grep -qw -- "$word" <<<"$text" || echo "$word"; done
  }
  scenario_keys=$(grep -ohE '(fields\.[a-z]+|Value|ReadId)\((fields, )?"[a-z_]+"|\{"[a-z]+", Kind::' \
    "$src"/station/*.cpp | grep -oE '"[a-z_]+"' | tr -d '"' | sort -u)
  [ "$(wc -w <<<"$scenario_keys")" -gt 40 ] || fail "found only $(wc -w <<<"$scenario_keys") scenario keys"
  # shellcheck disable=SC2086
  missing=$(page_lacks setarome-scenario $scenario_keys)
  [ -z "$missing" ] || fail "setarome-scenario(5) lacks" $missing
  capture_keys=$( (grep -ohE '(object|finding)\.[a-z]+\("[a-z_]+"' "$src"/capture/CaptureRecord.cpp \
    "$src"/capture/CaptureRecordFields.cpp
    grep -ohE 'return "[a-z-]+";' "$src"/capture/CaptureRecordFields.cpp) |
    grep -oE '"[a-z_-]+' | tr -d '"' | grep -vx unknown | sort -u)
  [ "$(wc -w <<<"$capture_keys")" -gt 30 ] || fail "found only $(wc -w <<<"$capture_keys") capture keys"
  # shellcheck disable=SC2086
  missing=$(page_lacks setarome-capture $capture_keys)
  [ -z "$missing" ] || fail "setarome-capture(5) lacks" $missing
fi

# Units: each passes systemd-analyze verify, pointed at the installed program.
units=$(find "$prefix" -name '*.service')
[ -n "$units" ] || fail "no systemd unit is installed"
if have systemd-analyze; then
  work=$(mktemp -d)
  for unit in $units; do
    name=$(basename "$unit")
    instance="$work/${name/@./@check.}"
    sed "s|$configured_bindir/|$prefix/bin/|g" "$unit" >"$instance"
    output=$(systemd-analyze verify "$instance" 2>&1) || output="status $? $output"
    [ -z "$output" ] || fail "systemd-analyze verify $name: $output"
  done
  rm -rf "$work"
fi

# The completion loads in bash and offers each subcommand, each option and the
# choices of an option with a fixed set of values.
completion=/usr/share/bash-completion/bash_completion
if [ -r "$completion" ]; then
  complete_words() {
    bash -c 'source "$1"; source "$2"; shift 2
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _setarome_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" \
      "$share/bash-completion/completions/setarome-cli" setarome-cli "$@"
  }
  for command in $subcommands; do
    # A here-string, not a pipe: grep -q stops reading at the first match, and
    # under pipefail the writer's SIGPIPE would fail the check.
    grep -qx -- "$command" <<<"$(complete_words "")" || fail "completion lacks $command"
    offered=$(complete_words "$command" --)
    for option in $(options_of "$command"); do
      grep -qx -- "$option" <<<"$offered" || fail "completion lacks $command $option"
    done
    "$cli" "$command" --help | sed -nE 's/^  (--[a-z0-9-]+) ([a-z0-9]+(\|[a-z0-9]+)+)(=.*)?( .*)?$/\1 \2/p' |
      while read -r option choices; do
        [ "$(complete_words "$command" "$option" "" | sort | tr '\n' '|')" = \
          "$(tr '|' '\n' <<<"$choices" | sort | tr '\n' '|')" ] ||
          fail "completion of $command $option is not $choices"
      done
  done
else
  echo "SKIP: bash-completion is not installed"
  skips=$((skips + 1))
fi

[ "$failures" -eq 0 ] || exit 1
[ "$skips" -eq 0 ] || exit 77
echo "install tree checked"
