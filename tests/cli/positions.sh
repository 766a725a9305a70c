# A failure at a place names its line and column (lines end at CR LF, LF CR,
# CR or LF; columns count characters) and the character the target cannot
# hold, beside the byte; in plain words, in JSON and in Russian. The file
# stays as it was.
printf 'first\r\nвторая \342\202\254 строка\n' >euro.txt
printf 'ok\n\rАБ\377' >bad.txt
printf 'x' >kept.txt
"$SNPLN" -f utf8 -t koi euro.txt bad.txt
echo "status $?"
"$SNPLN" --json -f utf8 -t koi euro.txt bad.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -f utf8 -t koi euro.txt bad.txt
LC_ALL=C.UTF-8 "$SNPLN" --json -f koi --replace x --with '€' kept.txt
cmp -s euro.txt <(printf 'first\r\nвторая \342\202\254 строка\n') && echo kept
