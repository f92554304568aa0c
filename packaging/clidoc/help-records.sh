#!/usr/bin/env bash
# help_records PROGRAM [SUBCOMMAND]: the --help text of setarome-cli (as CLI11
# lays it out) as tab-separated records, one per line, so that the manual page
# and the completion are made from the options the program really has:
#   about   TEXT                  the description above "Usage:"
#   usage   TEXT                  what follows "Usage: "
#   item    SECTION NAMES TYPE DEFAULT TEXT
#                                 one entry of "Options:", "Positionals:" or
#                                 "Subcommands:"; NAMES like -h,--help
#   note    TEXT                  a paragraph below the entries
help_records() {
  "$@" --help | awk '
    function flush() {
      if (names != "")
        printf "item\t%s\t%s\t%s\t%s\t%s\n", section, names, type, fallback, text
      names = ""
    }
    # "--source a|b=a": names, then the value type with its default.
    function entry(head,   i) {
      names = head; type = ""; fallback = ""
      i = index(head, " ")
      if (i == 0) return
      names = substr(head, 1, i - 1); type = substr(head, i + 1)
      i = index(type, "=")
      if (i > 0) { fallback = substr(type, i + 1); type = substr(type, 1, i - 1) }
    }
    /^Usage: / { usage = 1; printf "usage\t%s\n", substr($0, 8); next }
    /^[A-Z][A-Za-z]*:$/ { flush(); section = substr($0, 1, length($0) - 1); next }
    /^$/ { flush(); next }
    # Entry text that did not fit beside the names stands on the next line.
    /^      +[^ ]/ && names != "" {
      sub(/^ +/, ""); text = (text == "" ? $0 : text " " $0); next
    }
    /^  [^ ]/ && section != "" {
      flush(); line = substr($0, 3); text = ""
      if (match(line, /  +/)) { text = substr(line, RSTART + RLENGTH); line = substr(line, 1, RSTART - 1) }
      entry(line); next
    }
    { flush(); printf "%s\t%s\n", (usage ? "note" : "about"), $0 }
    END { flush() }
  '
}

# The subcommands that PROGRAM lists in its --help.
help_subcommands() {
  help_records "$1" | awk -F '\t' '$1 == "item" && $2 == "Subcommands" { print $3 }'
}
