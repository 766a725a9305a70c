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
source "$build/cli/snpln-cli.bash"

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

# Every alias of every page, as -l lists them.
pages="1125 1251 21866 866 cp1125 cp1251 cp21866 cp866 cp866u dos ibm1125 ibm866 iso iso-8859-5 iso8859-5 koi koi8 koi8-r koi8-u koi8r koi8u mac mac-cyrillic maccyrillic ruscii utf-16 utf-16be utf-16le utf-8 utf16 utf16be utf16le utf8 win win1251 windows-1251 x-mac-cyrillic x-mac-ukrainian"
cases=(
  "--to|k|koi koi8 koi8-r koi8-u koi8r koi8u"
  "--to||$pages"
  "--from||1125 1251 21866 866 auto ${pages#1125 1251 21866 866 }"
  "--from|a|auto"
  "-t|utf|utf-16 utf-16be utf-16le utf-8 utf16 utf16be utf16le utf8"
  "--line-ends||cr crlf lf"
  "--bom|r|remove"
  "--tab-size||"
  "--with||"
  "--filter|*|"
)
for c in "${cases[@]}"; do
  IFS='|' read -r prev cur want <<<"$c"
  expect_eq "completion of \"$cur\" after $prev" "$want" \
    "$(complete_words snpln-cli "$prev" "$cur")"
done

# --to=PAGE, cut at '=' as bash does and whole as it does without '=' in
# COMP_WORDBREAKS.
expect_eq "--to= cut at '='" "koi koi8 koi8-r koi8-u koi8r koi8u" \
  "$(complete_words snpln-cli --to = k)"
expect_eq "--from= cut at '='" "auto" "$(complete_words snpln-cli --from = a)"
expect_eq "--to= whole" "--to=win --to=win1251 --to=windows-1251" \
  "$(complete_words snpln-cli --to=wi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/notes dir"
touch "$work/note.txt" "$work/other.txt"
cd "$work"
expect_eq "names complete as files and directories" "note.txt notes dir" \
  "$(complete_words snpln-cli --detect no)"

finish
