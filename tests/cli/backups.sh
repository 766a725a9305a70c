# -b never replaces a backup: a second run keeps its original as NAME.~1~
# (NAME+SUFFIX.1 with another suffix), and walks pass over the backups
# beside their files (a -v line, "skipped" with the reason "backup" in
# --json) unless the user names one. The backup a report names is the
# file's real place: beside the file a link leads to, and a '\' in a name
# is a character of it, not a separator. (Lines of one directory come in
# its listing's order: sorted here.)
printf '\360\322\311\327\305\324\n' >koi.txt
mkdir t
cp koi.txt t/a.txt
"$SNPLN" -b -v -t win t
echo "status $?"
"$SNPLN" -b -v --upper t | LC_ALL=C sort
echo "status ${PIPESTATUS[0]}"
"$SNPLN" -b --json --lower t | LC_ALL=C sort
echo "status ${PIPESTATUS[0]}"
ls t
"$SNPLN" -b -v --suffix=.bak -f win -t koi t/a.txt
"$SNPLN" -b -v --suffix=.bak -f koi -t win t/a.txt
ls t
rm t/a.txt.bak*
# A backup named by the user is taken like any file (and gets none itself
# when the run keeps none).
"$SNPLN" -v -f win -t utf8 t/a.txt~
echo "status $?"
# Through links, and a backslash in a name.
mkdir u real
cp koi.txt 'u/b\s.txt'
cp koi.txt real/t.txt
ln -s real lk
ln -s real/t.txt direct.txt
"$SNPLN" -b -v -t win 'u/b\s.txt' lk/t.txt
"$SNPLN" -b --json -t utf8 'u/b\s.txt' direct.txt
ls u real
# In Russian.
cp koi.txt t/c.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -b -v -t win t | LC_ALL=C sort
# A gap is not filled: the next number follows the highest there, as
# cp --backup=numbered counts, so the newest backup has the highest.
rm t/a.txt.~1~
"$SNPLN" -b -v --upper t/a.txt
ls t
