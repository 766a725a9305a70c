#!/usr/bin/env bash
# `make run` without a display: it must return, with status 0, after showing
# every step of the tour with its result; with ARGS it runs snpln-cli on
# them; and the tour fails when a step does not do its job.
#
#   test_make_run.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
src=$1
build=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM HEADLESS_WINDOW

# The time limit only guards against a hang: the tour takes seconds.
make_run() {
  timeout 300 make --no-print-directory -C "$src" run SKIP_DEPS=1 JOBS=1 \
    BUILD="$build" "$@" 2>&1
}

samples_before=$(cd "$src/samples" && md5sum -- *)
out=$(make_run)
expect_eq "make run without a display: status" 0 "$?"
steps=(
  "Detect the code page of every sample"
  "note-dos.txt: This file has coding ''Dos''"
  "note-koi.txt: This file has coding ''Koi8''"
  "letter-win.txt: This file has coding ''Win1251''"
  "Recode note-dos.txt from CP866 (detected) to Windows-1251"
  "Recode note-koi.txt from KOI8-R (detected) to Windows-1251"
  # the first bytes of each note after the recoding, in Windows-1251
  "first bytes:  cf f0 e8 e2 e5 f2 21 20"
  "first bytes:  c7 e4 f0 e0 e2 f1 f2 e2"
  "Добрый день! Мы приедем в Москву во вторник. Иван встретит нас"
  "на вокзале, а потом поедем к нине."
  "Delete excessive empty lines"
  $'Список покупок:\n\nхлеб\nмолоко\nчай\nПозвонить маме.\nКупить билеты.\n\nКонец.'
  "DISPLAY"
  "xvfb-run"
)
for s in "${steps[@]}"; do
  expect_contains "make run shows the step's result" "$out" "$s"
done
if [[ "$out" == *"!!"* ]]; then
  fail "the tour reported a failed step"
  printf '%s\n' "$out"
fi
# Once snpln-cli can write UTF-8 (it takes the name), the tour shows it.
probe=$(mktemp)
echo probe > "$probe"
"$build/cli/snpln-cli" --from dos --to utf8 "$probe" > /dev/null 2>&1
probe_status=$?
rm -f "$probe"
if [[ $probe_status -ne 2 ]]; then
  expect_contains "make run recodes to UTF-8" "$out" "note-koi-utf8.txt, UTF-8 now"
  expect_contains "make run shows the UTF-8 text" "$out" \
    "Здравствуйте! Эта записка набрана в кодировке KOI8-R,"
else
  expect_contains "make run says why UTF-8 is left out" "$out" "no UTF-8 target"
fi

# The samples themselves are never touched: the tour works on copies.
expect_eq "the samples are left as they were" "$samples_before" \
  "$(cd "$src/samples" && md5sum -- *)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src/samples/note-koi.txt" "$work/a b.txt"
out=$(make_run ARGS="--detect '$work/a b.txt'")
expect_eq "make run ARGS=... without a display: status" 0 "$?"
expect_contains "make run ARGS=... runs snpln-cli on the names" "$out" \
  "a b.txt: This file has coding ''Koi8''"

# A snpln-cli that does nothing must not pass the tour.
printf '#!/bin/sh\nexit 0\n' > "$work/snpln-cli"
chmod +x "$work/snpln-cli"
out=$(bash "$src/samples/tour.sh" "$work/snpln-cli" 2>&1)
expect_eq "the tour fails when the files are not changed" 1 "$?"
expect_contains "the tour says which result was wrong" "$out" "!! expected:"

finish
