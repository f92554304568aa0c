#!/usr/bin/env bash
# Writes the manual page setarome-cli(1) to standard output, made from the
# program's own --help and that of each subcommand, so that it always shows
# every option there is.
#   cli-man.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/help-records.sh"

# Records to roff: escapes, a minus for each option dash, and a paragraph
# per entry.
to_roff() {
  awk -F '\t' '
    function roff(s) {
      gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s)
      sub(/^[.'"'"']/, "\\\\\\&&", s)
      return s
    }
    $1 == "about" { print roff($2) }
    $1 == "usage" && usage { print ".PP"; print "Usage: " roff($2) }
    $1 == "item" {
      print ".TP"
      line = "\\fB" roff($3) "\\fR"
      if ($4 != "") line = line " \\fI" roff($4) "\\fR"
      print line
      text = roff($6)
      if ($5 != "") text = text " (default: " roff($5) ")"
      print text
    }
    $1 == "note" { print ".PP"; print roff($2) }
  ' usage="${1:-}"
}

version=$("$program" --version)
name=$(basename "$program")
cat <<ROFF
.TH SETAROME\\-CLI 1 "" "${version//-/\\-}" "User Commands"
.SH NAME
${name//-/\\-} \\- $(help_records "$program" | awk -F '\t' '$1 == "about" { print; exit }' | cut -f2)
.SH SYNOPSIS
ROFF
# The program and subcommand in bold, their arguments plain.
synopsis() {
  help_records "$@" | awk -F '\t' '$1 == "usage" { print $2 }' \
    | sed 's/-/\\-/g; s/^\([^[]*\) \(\[.*\)$/.B \1\n\2/'
}

synopsis "$program"
for command in $(help_subcommands "$program"); do
  echo .br
  synopsis "$program" "$command"
done
echo .SH DESCRIPTION
help_records "$program" | grep '^about' | to_roff
echo .SH OPTIONS
help_records "$program" | grep $'^item\tOptions' | to_roff
echo .SH COMMANDS
for command in $(help_subcommands "$program"); do
  echo ".SS ${command//-/\\-}"
  help_records "$program" "$command" | to_roff usage
done
cat <<'ROFF'
.SH FILES
.TP
.I uecs.lua
in Wireshark's global Lua plugin folder (see
.BR "tshark \-G folders" ):
the dissector that shows UECS messages in Wireshark and tshark, with each
finding of
.B lint
as expert information under the same code. Copied to
.I ~/.local/lib/wireshark/plugins/
it serves one user.
.SH SEE ALSO
.BR setarome (1),
.BR systemctl (1),
.BR journalctl (1),
.BR wireshark (1)
ROFF
