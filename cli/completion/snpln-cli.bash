# bash completion for snpln-cli.
#
# Options are read from `snpln-cli --help` of the program being completed,
# so they always match it. After --to / --from come the code page names,
# after the options that take a text or a number nothing is offered, and
# everything else completes as file and directory names.

_snpln_cli_help() {
  "$1" --help 2>/dev/null
}

_snpln_cli() {
  local cmd=$1 cur=${COMP_WORDS[COMP_CWORD]} prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  case $prev in
  -t | --to | -f | --from)
    local pages="dos win koi iso"
    _snpln_cli_help "$cmd" | grep -qi 'utf-\?8' && pages+=" utf8"
    [[ $prev == -f || $prev == --from ]] && pages="auto $pages"
    mapfile -t COMPREPLY < <(compgen -W "$pages" -- "$cur")
    return 0
    ;;
  --tab-size | --exclude | --replace | --with | --filter)
    return 0
    ;;
  esac

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
