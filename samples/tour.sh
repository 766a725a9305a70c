#!/usr/bin/env bash
# A short tour of snpln-cli on copies of the bundled samples, in a fresh
# temporary folder that is removed afterwards:
#
#   samples/tour.sh path/to/snpln-cli
#
# Each step shows the command, what snpln-cli says, and the text before and
# after, shown as UTF-8 whatever code page the file is in. The tour checks
# its own results and ends with status 1 when a step did not do its job.
set -euo pipefail

cli=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/note-dos.txt "$here"/note-koi.txt "$here"/letter-win.txt \
  "$here"/list-win.txt "$work"/
cd "$work"

failed=0
step=0

title() {
  step=$((step + 1))
  printf '\n== %d. %s\n' "$step" "$1"
}

# Runs snpln-cli, showing the command as a user would type it.
cli() {
  printf '$ snpln-cli %s\n' "$*"
  if ! "$cli" "$@"; then
    echo "!! snpln-cli ended with a failure status"
    failed=1
  fi
}

# Prints FILE, written in code page PAGE (an iconv name), as UTF-8, one
# line per line whatever its line ends.
show() {
  local page=$1 file=$2 label=$3
  printf -- '--- %s (%s, %s, shown as UTF-8):\n' "$label" "$file" "$page"
  iconv -f "$page" -t UTF-8 "$file" | sed 's/\r$//'
}

as_utf8() { iconv -f "$1" -t UTF-8 "$2" | sed 's/\r$//'; }

# Fails the tour when the two texts differ.
expect_same() {
  if [[ "$1" != "$2" ]]; then
    printf '!! expected:\n%s\n!! got:\n%s\n' "$1" "$2"
    failed=1
  fi
}

title "Detect the code page of every sample"
cli --detect note-dos.txt note-koi.txt letter-win.txt list-win.txt

for pair in note-dos.txt:CP866 note-koi.txt:KOI8-R; do
  file=${pair%%:*}
  page=${pair#*:}
  title "Recode $file from $page (detected) to Windows-1251"
  before=$(as_utf8 "$page" "$file")
  show "$page" "$file" before
  printf 'first bytes: %s\n' "$(head -c 8 "$file" | od -An -tx1)"
  cli --to win "$file"
  show CP1251 "$file" after
  printf 'first bytes: %s\n' "$(head -c 8 "$file" | od -An -tx1)"
  expect_same "$before" "$(as_utf8 CP1251 "$file")"
done

# UTF-8 is a target only in the versions of snpln-cli that take it: the
# others refuse the name as a usage error (status 2).
printf 'probe\n' > probe.txt
utf8=0
"$cli" --from dos --to utf8 probe.txt > /dev/null 2>&1 || [[ $? -ne 2 ]] && utf8=1
rm -f probe.txt
if [[ $utf8 -eq 1 ]]; then
  title "Recode the two notes to UTF-8"
  cp "$here"/note-dos.txt note-dos-utf8.txt
  cp "$here"/note-koi.txt note-koi-utf8.txt
  cli --to utf8 note-dos-utf8.txt note-koi-utf8.txt
  for pair in note-dos-utf8.txt:CP866 note-koi-utf8.txt:KOI8-R; do
    file=${pair%%:*}
    printf -- '--- after (%s, UTF-8 now):\n' "$file"
    sed 's/\r$//' "$file"
    expect_same "$(as_utf8 "${pair#*:}" "$here/${file%-utf8.txt}.txt")" \
      "$(sed 's/\r$//' "$file")"
  done
else
  printf '\n(This snpln-cli has no UTF-8 target: the recoding to UTF-8 is left out.)\n'
fi

title "Smart case: a capital at the start of every sentence"
show CP1251 letter-win.txt before
cli --smart letter-win.txt
show CP1251 letter-win.txt after
expect_same "Добрый день! Мы приедем в Москву во вторник. Иван встретит нас
на вокзале, а потом поедем к нине." "$(as_utf8 CP1251 letter-win.txt)"

title "Delete excessive empty lines"
show CP1251 list-win.txt before
cli --delete-empty list-win.txt
show CP1251 list-win.txt after
expect_same "Список покупок:

хлеб
молоко
чай
Позвонить маме.
Купить билеты.

Конец." "$(as_utf8 CP1251 list-win.txt)"

window=$(dirname "$cli")/../ui/snpln
[[ -x "$window" ]] && window=$(realpath --relative-to="$OLDPWD" "$window") ||
  window=build/release/ui/snpln
cat <<TEXT

The window needs a display. With one (DISPLAY set), \`make run\` opens it, and
\`make run ARGS="file.txt"\` opens it with those names chosen. Without one:
  make run HEADLESS_WINDOW=1    # the window under Xvfb, where nobody sees it
  xvfb-run -a $window
  tools/screenshot.sh           # a picture of the window (docs/main-window.png)
TEXT

if [[ $failed -ne 0 ]]; then
  echo "!! The tour found a step that did not do its job."
  exit 1
fi
