#!/usr/bin/env bash
# The bash completion of snpln-cli, against the built program: every option
# of its help is offered, code page names after --to and --from, nothing
# after an option that takes a text, and file names elsewhere.
#
#   test_bash_completion.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
src=$1
build=$2
cli=$build/cli/snpln-cli
source "$src/cli/completion/snpln-cli.bash"

# complete WORD... : the completions offered for the last word.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _snpln_cli "$cli" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

expect_eq "the registered function" "complete -F _snpln_cli snpln-cli" \
  "$(complete -p snpln-cli)"

# Every long option the help lists is offered after "--".
offered=" $(complete_words snpln-cli --) "
for option in $("$cli" --help | grep -oE -- '--[[:alpha:]][-[:alnum:]]*' | sort -u); do
  expect_contains "\"--\" offers $option" "$offered" " $option "
done
expect_eq "\"--de\" offers the options that begin so" "--delete-empty --detect" \
  "$(complete_words snpln-cli --de)"
expect_eq "an option's name after other words" "--tab-size --to" \
  "$(complete_words snpln-cli --optimize --t)"

pages="dos iso koi win"
if "$cli" --help | grep -qi 'utf-\?8'; then pages="dos iso koi utf8 win"; fi
cases=(
  "--to|k|koi"
  "--to||$pages"
  "--from||auto $pages"
  "--from|a|auto"
  "--tab-size||"
  "--with||"
  "--filter|*|"
)
for c in "${cases[@]}"; do
  IFS='|' read -r prev cur want <<<"$c"
  expect_eq "completion of \"$cur\" after $prev" "$want" \
    "$(complete_words snpln-cli "$prev" "$cur")"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/notes dir"
touch "$work/note.txt" "$work/other.txt"
cd "$work"
expect_eq "names complete as files and directories" "note.txt notes dir" \
  "$(complete_words snpln-cli --detect no)"

finish
