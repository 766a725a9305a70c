# Mac Cyrillic, KOI8-U and CP1125: named by -t and -f, detected on their
# own evidence, recoded both ways (a character the target lacks counted);
# byte order marks that the text does not bear out are text.
hex() { od -An -tx1 "$1" | tr -s ' \n' ' '; echo; }
ukrainian='Дід Іван виходить на ґанок і довго дивиться на город, де їжак ховається в листі.'
printf '%s\n' "$ukrainian" | iconv -f UTF-8 -t KOI8-U >koi8u.txt
printf '%s\n' "$ukrainian" | iconv -f UTF-8 -t CP1125 >cp1125.txt
printf '%s\n' "$ukrainian" | iconv -f UTF-8 -t MAC-CYRILLIC >mac.txt
printf 'Кащеев и моя семья\n' | iconv -f UTF-8 -t MAC-CYRILLIC >kashcheev.txt
"$SNPLN" -d koi8u.txt cp1125.txt mac.txt kashcheev.txt
"$SNPLN" --json -d koi8u.txt mac.txt
"$SNPLN" -v -t utf8 koi8u.txt
cat koi8u.txt
"$SNPLN" -v -t mac koi8u.txt
cmp koi8u.txt mac.txt && echo "as iconv writes it"
"$SNPLN" -v -f mac -t cp1125 koi8u.txt
cmp koi8u.txt cp1125.txt && echo "as iconv writes it"
"$SNPLN" -v -t koi8u cp1125.txt
# KOI8-R has no Ukrainian letters: they take fill bytes, counted, and come
# back.
"$SNPLN" -v -f koi8u -t koi cp1125.txt
"$SNPLN" -v -f koi -t koi8u cp1125.txt
printf '%s\n' "$ukrainian" | iconv -f UTF-8 -t KOI8-U | cmp - cp1125.txt && echo "back"
# Mac's € is at FF (the C library's MAC-CYRILLIC has ¤ there).
printf '5 \342\202\254\n' >euro.txt
"$SNPLN" -f utf8 -t mac euro.txt
hex euro.txt
# "яюблоко" in Windows-1251 opens with FF FE: text, not a UTF-16 mark.
printf '\377\376\341\353\356\352\356 \350 \376\353\340\n' >marked.txt
"$SNPLN" -d marked.txt
"$SNPLN" -v -t utf8 marked.txt
cat marked.txt
