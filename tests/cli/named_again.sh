# A file is worked on once per run: a name given again, and another name
# (a hard link) of a file already worked on, are passed over with their
# reason (a line with -v or -n, a skipped object with --json), in English
# and in Russian. A file met again by a second mask is not told twice.
printf '\360\322\311\327\305\324\n' >a.txt
ln a.txt b.txt
mkdir t
ln a.txt t/l.txt
printf '\360\322\311\327\305\324\n' >c.txt
"$SNPLN" -v -n -t utf8 a.txt ./a.txt a.txt b.txt c.txt
echo "status $?"
"$SNPLN" -v -n -t utf8 --filter '*.txt *.TXT' t a.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -v -t utf8 a.txt a.txt b.txt
echo "status $?"
"$SNPLN" --json -t utf8 c.txt c.txt | grep -v '"summary"'
"$SNPLN" -t utf8 c.txt c.txt
echo "status $?"
