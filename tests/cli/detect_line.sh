# -d's line: the page, the line ends (LF, CR LF, CR, LF CR, mixed, none),
# the byte order mark (none, UTF-8, UTF-16LE, UTF-16BE) and the neighbour
# page detection told the page from; -d --json gives them as fields; -d -
# answers on standard output. In English and in Russian.
printf '\360\322\311\327\305\324\n\301\n' >lf.txt
printf '\360\322\311\327\305\324\r\n\301\r\n' >crlf.txt
printf '\360\322\311\327\305\324\r\301\r' >cr.txt
printf '\360\322\311\327\305\324\n\r\301\n\r' >lfcr.txt
printf '\360\322\311\327\305\324\r\n\301\n' >mixed.txt
printf '\360\322\311\327\305\324' >none.txt
printf '\357\273\277\320\237\321\200\320\270\n' >bom8.txt
printf '\377\376\037\004@\004\r\000\n\000' >le.txt
printf '\376\377\004\037\004@\000\r' >be.txt
printf '\360\322\311\327\246\324 \247\326\321\313\325\300\n' >ua.txt
files="lf.txt crlf.txt cr.txt lfcr.txt mixed.txt none.txt bom8.txt le.txt be.txt ua.txt"
"$SNPLN" -d $files
echo "status $?"
"$SNPLN" --json -d $files | grep -v '"summary"'
LC_ALL=ru_RU.UTF-8 "$SNPLN" -d $files
enc=$("$SNPLN" -d - <crlf.txt)
echo "captured: $enc"
enc=$(LC_ALL=ru_RU.UTF-8 "$SNPLN" -d - <ua.txt)
echo "captured: $enc"
"$SNPLN" -d --json - <bom8.txt
