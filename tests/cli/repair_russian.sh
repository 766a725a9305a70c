# --repair's words under a Russian locale: the chain named in Russian, the
# reasons a file is left as it is, and the refusal of --detect with it.
python3 - <<'PY'
import codecs
codecs.register_error('c1', lambda e: (chr(e.object[e.start]), e.start + 1))
def read_as(data, page):
    return data.decode(page, errors='c1').encode('utf-8')
text = 'Привет, мир! Это проверка починки испорченного текста.\n'
utf8 = text.encode('utf-8')
open('one.txt', 'wb').write(read_as(utf8, 'cp1251'))
open('two.txt', 'wb').write(read_as(read_as(utf8, 'cp1251'), 'cp1251'))
open('three.txt', 'wb').write(
    read_as(read_as(utf8, 'latin-1'), 'cp1251'))
open('clean.txt', 'wb').write(utf8)
open('win.txt', 'wb').write(text.encode('cp1251'))
lines = ['Строка номер %d: обычный русский текст без порчи.\n' % i
         for i in range(4)]
open('mixed.txt', 'wb').write(b''.join(
    read_as(l.encode(), 'cp1251') if i % 2 else l.encode()
    for i, l in enumerate(lines)))
PY
LC_ALL=ru_RU.UTF-8 "$SNPLN" -d two.txt clean.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -n --repair one.txt two.txt three.txt clean.txt win.txt mixed.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -v --repair one.txt mixed.txt
echo "status $?"
cat one.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -d --repair two.txt
echo "status $?"
LC_ALL=ru_RU.UTF-8 "$SNPLN" --help | grep -o 'Исправить испорченный текст'
