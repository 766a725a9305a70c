# UTF-16 text: its byte order mark decides (FF FE little-endian, FE FF
# big-endian, a UTF-32 mark is no text), recoding goes both ways, a broken
# text names its offset, line ends work a unit at a time, and the other
# operations on characters ask for a recoding first.
hex() { od -An -tx1 "$1" | tr -s ' \n' ' '; echo; }
# "Привет" and a line end, with a mark, in either order.
printf '\377\376\037\004\100\004\070\004\062\004\065\004\102\004\n\000' >le.txt
printf '\376\377\004\037\004\100\004\070\004\062\004\065\004\102\000\n' >be.txt
printf '\377\376\000\000\037\004\000\000' >utf32.txt
printf '\037\004\100\004' >bare.txt
printf '\377\376\037\004\000\334' >lone.txt
printf '\377\376\037\004\100' >odd.txt
"$SNPLN" -d le.txt be.txt utf32.txt
echo "status $?"
"$SNPLN" --json -d le.txt be.txt
"$SNPLN" -v -t utf8 le.txt
echo "status $?"
cat le.txt
"$SNPLN" -v -t koi be.txt
echo "status $?"
hex be.txt
"$SNPLN" -v -f utf16le -t win bare.txt
hex bare.txt
# Back again: utf16 writes FF FE, utf16be no mark.
"$SNPLN" -v -f win -t utf16 bare.txt
"$SNPLN" -v -t utf16 le.txt
hex bare.txt
hex le.txt
"$SNPLN" -v -t utf16 le.txt
"$SNPLN" -v -t utf16be le.txt
hex le.txt
# ASCII alone is recoded to UTF-16 too.
printf 'ok\n' >plain.txt
"$SNPLN" -t utf16le plain.txt
hex plain.txt
"$SNPLN" -t utf8 lone.txt odd.txt
echo "status $?"
"$SNPLN" --json -t utf8 lone.txt odd.txt
# Without its mark, UTF-16 is detected in its byte order all the same (le.txt
# is big-endian without a mark by now), and case asks for a recoding first.
"$SNPLN" --upper le.txt
echo "status $?"
# Unmarked either way: detected, recoded like marked UTF-16; the output has a
# mark only where the target or --bom puts one; a page named keeps it no text.
printf '\037\004\100\004\070\004\062\004\065\004\102\004\n\000' >ule.txt
printf '\004\037\004\100\004\070\004\062\004\065\004\102\000\n' >ube.txt
cp ule.txt ule2.txt; cp ule.txt ule3.txt; cp ube.txt ube2.txt
"$SNPLN" -d ule.txt ube.txt
"$SNPLN" --json -d ule.txt ube.txt
"$SNPLN" -v -t utf8 ule.txt ube.txt
hex ule.txt
hex ube.txt
"$SNPLN" -v -t win ule2.txt
"$SNPLN" -v -t koi ube2.txt
hex ule2.txt
hex ube2.txt
"$SNPLN" -v -t utf8 --bom add ule3.txt
hex ule3.txt
cp le.txt ube3.txt
"$SNPLN" -v -t utf16be ube3.txt
"$SNPLN" -v -t utf16 ube3.txt
hex ube3.txt
printf '\000\101\004\037' >ube4.txt
"$SNPLN" -v -f win -t utf8 ube4.txt
echo "status $?"
# With it, case asks for a recoding first; line ends are UTF-16 units.
printf '\377\376\037\004\n\000' >marked.txt
"$SNPLN" --upper marked.txt
echo "status $?"
"$SNPLN" --json --line-ends crlf marked.txt
echo "status $?"
hex marked.txt
# Recoded to UTF-16 and given CR LF in one run.
printf '\360\322\311\327\305\324\n' >koi.txt
"$SNPLN" -t utf16 --line-ends crlf koi.txt
echo "status $?"
hex koi.txt
