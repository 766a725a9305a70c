#!/usr/bin/env bash
# The catalogue is what lupdate extracts from the sources: run it on a copy
# of i18n/snpln_ru.ts and fail on any difference (a marked text missing, a
# text nobody marks any more, a message without its translation).
# Usage: test_catalogue_extracted.sh LUPDATE SOURCE_DIR
set -u
lupdate=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source/i18n/snpln_ru.ts" "$work/snpln_ru.ts"
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h -source-language en_US \
  -target-language ru_RU "$source/i18n" "$source/cli" "$source/ui" "$source/web" -ts "$work/snpln_ru.ts" ||
  exit 1
status=0
if ! diff -u "$source/i18n/snpln_ru.ts" "$work/snpln_ru.ts"; then
  echo "FAIL: i18n/snpln_ru.ts is not what lupdate extracts;" \
    "run: cmake --build <build> --target update_catalogue"
  status=1
fi
if grep -q 'type="unfinished"' "$work/snpln_ru.ts"; then
  echo "FAIL: texts without a Russian translation:"
  grep -B2 'type="unfinished"' "$work/snpln_ru.ts" | grep '<source>'
  status=1
fi
[[ $status -eq 0 ]] && echo "the catalogue is extracted and translated"
exit $status
