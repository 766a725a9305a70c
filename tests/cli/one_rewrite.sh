# Every operation of a run over a file is one rewrite, or none: a failure
# in any stage leaves the file byte for byte as it was (status 1), a file
# whose bytes would not change is left alone (its inode and times kept, no
# backup), and --json gives one object per file and operation.
printf 'Привет, мир! Цена   10 €.\n' >utf8.txt
cp utf8.txt utf8.orig
"$SNPLN" --upper -t koi --optimize utf8.txt
echo "status $?"
cmp -s utf8.txt utf8.orig && echo "utf8.txt as it was"
printf '\360\322\311\327\305\324, \315\311\322!   ok\n' >koi.txt
cp koi.txt koi.orig
LC_ALL=C.UTF-8 "$SNPLN" -t dos --upper --replace МИР --with '«мир»' koi.txt
echo "status $?"
cmp -s koi.txt koi.orig && echo "koi.txt as it was"
"$SNPLN" -t utf16 --line-ends crlf koi.txt
echo "status $?"
od -An -tx1 koi.txt | tr -s ' \n' ' '; echo
# Nothing would change: the file, its inode and times stay; no backup.
printf 'a\nb\n' >lf.txt
before=$(stat -c '%i %Y %Z' lf.txt)
"$SNPLN" -b -v --line-ends lf lf.txt
echo "status $?"
[[ $(stat -c '%i %Y %Z' lf.txt) == "$before" ]] && echo "lf.txt untouched"
"$SNPLN" --json --line-ends lf --bom add lf.txt
"$SNPLN" --json --upper --line-ends lf lf.txt
"$SNPLN" --json --upper -t koi --optimize utf8.txt
echo "status $?"
ls
