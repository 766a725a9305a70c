# --repair undoes text read in a wrong page and saved again, first of the
# passes; the result is UTF-8 unless --to says otherwise. A file no chain
# makes read better is left as it is ("not-garbled").
python3 - <<'PY'
import codecs
# A byte the reading leaves undefined shows as U+0080 + its value.
codecs.register_error('c1', lambda e: (chr(e.object[e.start]), e.start + 1))
def read_as(data, page):
    return data.decode(page, errors='c1').encode('utf-8')
text = ('Привет, мир! Это проверка починки испорченного текста в файле.\n'
        'Вторая строка тоже по-русски, с разными словами.\n'
        'Иван и Ирина пишут письмо.\n')
utf8 = text.encode('utf-8')
open('one.txt', 'wb').write(read_as(utf8, 'cp1251'))
open('two.txt', 'wb').write(read_as(read_as(utf8, 'cp1251'), 'cp1251'))
open('three.txt', 'wb').write(
    read_as(read_as(read_as(utf8, 'cp1251'), 'cp1252'), 'cp866'))
# Windows-1251 has no 0x98, the second byte of UTF-8 И: it became ?.
open('lost.txt', 'wb').write(
    read_as(utf8, 'cp1251').replace('\u0098'.encode(), b'?'))
open('koi.txt', 'wb').write(read_as(text.encode('cp1251'), 'koi8_r'))
open('clean.txt', 'wb').write(utf8)
open('win.txt', 'wb').write(text.encode('cp1251'))
lines = ['Строка номер %d: обычный русский текст без порчи.\n' % i
         for i in range(6)]
open('mixed.txt', 'wb').write(b''.join(
    read_as(l.encode(), 'cp1251') if i % 2 else l.encode()
    for i, l in enumerate(lines)))
PY
for f in *.txt; do cp "$f" "$f.orig"; done
# A dry run names the chain and writes nothing.
"$SNPLN" -n --repair one.txt two.txt three.txt lost.txt koi.txt clean.txt win.txt \
  mixed.txt
echo "status $?"
for f in *.txt; do cmp -s "$f" "$f.orig" || echo "$f changed"; done
"$SNPLN" --json -n --repair one.txt mixed.txt
"$SNPLN" -v --repair one.txt two.txt three.txt lost.txt koi.txt clean.txt win.txt \
  mixed.txt
echo "status $?"
cat one.txt two.txt three.txt lost.txt koi.txt mixed.txt
cmp -s clean.txt clean.txt.orig && echo "clean.txt as it was"
cmp -s win.txt win.txt.orig && echo "win.txt as it was"
# The repaired text goes on to the later passes as UTF-8.
for f in one two koi clean mixed; do cp "$f.txt.orig" "$f.txt"; done
"$SNPLN" --json --repair one.txt two.txt koi.txt clean.txt mixed.txt
cp one.txt.orig one.txt
"$SNPLN" -v --repair -t win --upper one.txt
echo "status $?"
iconv -f cp1251 -t utf-8 one.txt
"$SNPLN" --json --repair -t koi clean.txt
"$SNPLN" -d --repair one.txt
echo "status $?"
# Detection notes a UTF-8 file that reads as garbled, and changes nothing.
"$SNPLN" -d three.txt.orig mixed.txt.orig clean.txt.orig win.txt
"$SNPLN" --json -d two.txt.orig clean.txt.orig
# A character the chain found cannot undo, past the sample: the file fails
# and keeps every byte.
python3 - <<'PY'
import codecs
codecs.register_error('c1', lambda e: (chr(e.object[e.start]), e.start + 1))
line = 'Привет, мир! Это проверка починки испорченного текста.\n'
garbled = line.encode().decode('cp1251', errors='c1')
open('bad.txt', 'wb').write(
    (garbled * 200 + 'Р’С‚РѕСЂР°СЏ 中 СЃС‚СЂРѕРєР°\n').encode())
PY
cp bad.txt bad.orig
"$SNPLN" --repair --upper bad.txt
echo "status $?"
cmp -s bad.txt bad.orig && echo "bad.txt as it was"
"$SNPLN" --json --repair bad.txt
