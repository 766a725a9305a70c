#!/usr/bin/env bash
# The manual page of snpln-cli, as built: man formats it without a warning,
# lexgrog finds its NAME line, it has every section a reader looks for, it
# names every option of the program's --help and every code page name of
# its -l.
#
#   test_man_page.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
build=$2
cli=$build/cli/snpln-cli
page=$build/cli/snpln-cli.1.gz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zcat "$page" >"$work/snpln-cli.1" || fail "the page $page cannot be read"

# man --warnings prints groff's warnings on standard error.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
  "$work/snpln-cli.1" 2>&1 >"$work/text")
expect_eq "man --warnings is silent" "" "$warnings"
text=$(cat "$work/text")

expect_eq "lexgrog reads the NAME line" \
  "$work/snpln-cli.1: \"snpln-cli - rewrite Russian plain-text files in place\"" \
  "$(lexgrog "$work/snpln-cli.1" 2>&1)"

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES \
  "CODE PAGES" FILES "SEE ALSO"; do
  expect_contains "the section $section" "$text" $'\n'"$section"$'\n'
done
# Each example stands in a paragraph of its own.
expect_contains "examples apart" "$text" \
  $'snpln-cli -d notes.txt\n\n       Recode to Windows-1251'

for option in $("$cli" --help | grep -oE -- '--[[:alpha:]][-[:alnum:]]*' | sort -u); do
  expect_contains "the page names $option" "$text" "$option"
done
for name in $("$cli" -l | tail -n +2 | sed 's/--from only.*//'); do
  [[ $name == - ]] && continue
  expect_contains "the code page name $name" "$text" "$name"
done
expect_contains "the version" "$text" "snpln-cli $("$cli" --version | cut -d' ' -f2)"

finish
