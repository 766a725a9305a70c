# --json over a tree: one object per file and pass; an entry passed over
# is "skipped" with its reason; a name that is not UTF-8 comes as
# path_bytes; -n says what would happen and writes nothing.
mkdir t
printf '\360\322\311\327\305\324' >t/a.txt
printf 'x\0y' >t/bin.txt
printf '\360\322\311' >"t/$(printf '\377').txt"
ln -s a.txt t/link.txt
"$SNPLN" --json -n -t utf8 t | LC_ALL=C sort
echo "status ${PIPESTATUS[0]}"
od -An -c t/a.txt
printf 'a\r\n\r\n\r\n\r\nb\r\n' >e.txt
"$SNPLN" --json --delete-empty --upper e.txt
