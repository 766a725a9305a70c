# --filter's masks count characters of UTF-8 names ('?' is one letter
# however many bytes it takes) and match Cyrillic letters in any case; a
# name that is not UTF-8 is matched byte by byte. (Lines of one directory
# come in its listing's order: sorted here.)
mkdir t
for name in 'Отчёт.txt' 'ОТЧЁТ2.TXT' 'отчет.txt' 'ж.txt' 'жж.txt' 'a.txt' \
  "$(printf '\346').txt" "$(printf '\346\361').txt"; do
  printf 'x\n' >"t/$name"
done
for filter in 'отчёт*' 'ОТЧЁТ.*' '?.txt' '??.txt' '*Т.txt'; do
  echo "--filter $filter"
  "$SNPLN" -n -v --upper --filter "$filter" t | LC_ALL=C sort
done
LC_ALL=ru_RU.UTF-8 "$SNPLN" -n -v --upper --filter 'ж*' t | LC_ALL=C sort
