# No silent loss. A character the target page lacks goes to a fill byte and
# the default line says how many, under the file's name (also a file whose
# bytes came out as they were, and a file before the last); --json counts
# them in "filled"; --strict refuses the file at the first such character;
# --substitute writes look-alikes instead. A UTF-8 file with stray bytes
# fails at the first of them whatever the target; a page named is obeyed.
hex() { od -An -tx1 "$1" | tr -s ' \n' ' '; echo; }
# «Ёлки» — №5, 10 €… Сегодня хорошая погода. (Windows-1251)
win=$(printf '\253\250\353\352\350\273 \227 \2715, 10 \210\205 \321\345\343\356\344\355\377 \365\356\360\356\370\340\377 \357\356\343\356\344\340.')
printf '%s\n' "$win" >orig.txt
for f in w1 w2 w3 w4 w5 a r r2; do cp orig.txt $f.txt; done
"$SNPLN" -t koi w1.txt
echo "status $?"
"$SNPLN" --json -t koi w2.txt
"$SNPLN" -q -t koi w3.txt
echo "status $?"
# A file before the last says so too.
printf 'Привет\n' | iconv -f UTF-8 -t CP1251 >b.txt
"$SNPLN" -t koi a.txt b.txt
"$SNPLN" --strict -t koi w4.txt
echo "status $?"
cmp orig.txt w4.txt && echo "kept"
"$SNPLN" --json --strict -t koi w4.txt
"$SNPLN" --strict --substitute -t koi w5.txt
echo "status $?"
cat w5.txt | iconv -f KOI8-R -t UTF-8
# KOI8-U to KOI8-R: the Ukrainian letters fill KOI8-R's box drawing at the
# same bytes, so nothing changes, but the text now reads otherwise.
printf 'Київ і ґанок\n' | iconv -f UTF-8 -t KOI8-U >u.txt
"$SNPLN" -t koi u.txt
"$SNPLN" --json -t koi u.txt
"$SNPLN" --strict -t koi u.txt
echo "status $?"
# UTF-8 with one stray Windows-1251 byte (й), then with four.
printf 'Сегодня хорошая погода, \351дём гулять\n' >s1.txt
cp s1.txt s10.txt
"$SNPLN" -d s1.txt
"$SNPLN" -t utf8 s1.txt
"$SNPLN" -t win s1.txt
echo "status $?"
cmp s1.txt s10.txt && echo "kept"
"$SNPLN" -v -f win -t utf8 s1.txt
printf '\321\321\320\265\320\263\320\276\320\264\320\275\321\217 \365\320\276\321\200\320\276\321\210\320\260\321\217 \357\320\276\320\263\320\276\320\264\320\260, \320\270\344\321\221\320\274\n' >s.txt
cp s.txt s0.txt
"$SNPLN" -d s.txt
"$SNPLN" -t utf8 s.txt
echo "status $?"
"$SNPLN" --json -t win s.txt
cmp s.txt s0.txt && echo "kept"
"$SNPLN" -v -f win -t utf8 s.txt
echo "status $?"
# In Russian.
LC_ALL=ru_RU.UTF-8 "$SNPLN" -t koi r.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" --strict -t dos r2.txt
