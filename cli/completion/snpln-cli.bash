# bash completion for snpln-cli.
#
# Options are read from `snpln-cli --help` of the program being completed,
# so they always match it. After --to / --from (also as --to=) come the
# code page names with every alias `snpln-cli -l` lists, after --line-ends
# and --bom their values, after the options that take a text or a number
# (--suffix among them) nothing is offered, and everything else (-o FILE
# too) completes as file and directory names.

_snpln_cli_help() {
  "$1" --help 2>/dev/null
}

# Every name of every code page, lower case, each once, as `snpln-cli -l`
# lists them (auto last, for --from only).
_snpln_cli_pages() {
  "$1" -l 2>/dev/null | awk 'NR > 1 {
    if ($1 == "auto") { print "auto"; next }
    for (i = 1; i <= NF; i++) if (!seen[tolower($i)]++) print tolower($i) }'
}

_snpln_cli() {
  local cmd=$1 cur=${COMP_WORDS[COMP_CWORD]} prev= option prefix=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  # --to=PAGE: bash cuts the word at '=' (COMP_WORDBREAKS), so the option
  # stands two words back; where it does not, the word holds it.
  option=$prev
  if [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == --*=* ]]; then
    option=${cur%%=*}
    prefix=$option=
    cur=${cur#*=}
  fi

  local values=
  case $option in
  -t | --to)
    values=$(_snpln_cli_pages "$cmd" | grep -vx auto)
    [[ -z $values ]] && values="dos win koi iso mac koi8u cp1125"
    ;;
  -f | --from)
    values=$(_snpln_cli_pages "$cmd")
    [[ -z $values ]] && values="auto dos win koi iso mac koi8u cp1125"
    ;;
  --line-ends)
    values="lf crlf cr"
    ;;
  --bom)
    values="add remove"
    ;;
  --tab-size | --exclude | --replace | --with | --filter | --suffix | -j | --jobs)
    return 0
    ;;
  esac
  if [[ -n $values ]]; then
    mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "$values" -- "$cur")
    return 0
  fi

  if [[ $cur == -* ]]; then
    local options
    # The option lines of the help: the names before the description.
    options=$(_snpln_cli_help "$cmd" | grep -E '^[[:space:]]+-' |
      sed 's/^[[:space:]]*//; s/  .*//' |
      grep -oE -- '(^|[[:space:],])--?[[:alpha:]][-[:alnum:]]*' |
      sed 's/^[[:space:],]*//' | sort -u)
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return 0
  fi

  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  return 0
}

complete -F _snpln_cli snpln-cli
