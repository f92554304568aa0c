#!/usr/bin/env bash
# Writes the bash completion of setarome-cli to standard output, made from the
# program's own --help and that of each subcommand: every option is offered,
# and after an option its choices (a|b|c), a file (PATH) or an interface (NAME).
#   cli-completion.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/help-records.sh"

# NAMES of every option entry, "-h,--help" spelled as two words.
option_words() {
  awk -F '\t' '$1 == "item" && $2 == "Options" { gsub(/,/, " ", $3); printf "%s ", $3 }'
}

# One case arm per option that takes a value: what may follow it.
value_arms() {
  awk -F '\t' '
    $1 != "item" || $2 != "Options" || $4 == "" { next }
    { gsub(/,/, "|", $3) }
    $4 == "PATH" { printf "        %s) _filedir ;;\n", $3; next }
    $4 == "NAME" { printf "        %s) _available_interfaces ;;\n", $3; next }
    $4 ~ /\|/ {
      words = $4; gsub(/\|/, " ", words)
      printf "        %s) COMPREPLY=($(compgen -W \"%s\" -- \"$cur\")) ;;\n", $3, words; next
    }
    { free = (free == "" ? $3 : free "|" $3) }
    # Free values: a number, an address, a text.
    END { if (free != "") printf "        %s) ;;\n", free }
  '
}

name=$(basename "$program")
function=_${name//-/_}
cat <<EOS
# bash completion for $name, made from its --help.
$function()
{
    local cur prev words cword split
    _init_completion -s || return
    case \${words[1]} in
EOS
for command in $(help_subcommands "$program"); do
  records=$(help_records "$program" "$command")
  options=$(option_words <<<"$records")
  # A subcommand with positional arguments takes files there.
  if grep -q $'^item\tPositionals' <<<"$records"; then
    otherwise="if [[ \$cur == -* ]]; then COMPREPLY=(\$(compgen -W \"$options\" -- \"\$cur\")); else _filedir; fi"
  else
    otherwise="COMPREPLY=(\$(compgen -W \"$options\" -- \"\$cur\"))"
  fi
  cat <<EOS
    $command)
        case \$prev in
$(value_arms <<<"$records")
        *) $otherwise ;;
        esac
        return
        ;;
EOS
done
records=$(help_records "$program")
cat <<EOS
    esac
    if ((cword == 1)); then
        COMPREPLY=(\$(compgen -W "$(option_words <<<"$records")$(help_subcommands "$program" | tr '\n' ' ')" -- "\$cur"))
    fi
}
complete -F $function $name
EOS
