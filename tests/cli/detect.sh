# -d prints one line per file with the page it found; --json gives the
# page's standard name, which -f takes back.
printf '\317\360\350\342\345\362, \354\350\360' >win.txt
printf '\217\340\250\242\245\342, \254\250\340' >dos.txt
printf '\360\322\311\327\305\324' >koi.txt
printf 'english only' >plain.txt
"$SNPLN" --detect win.txt dos.txt koi.txt plain.txt
echo "status $?"
"$SNPLN" --detect --json win.txt dos.txt koi.txt plain.txt
echo "status $?"
"$SNPLN" -f KOI8-R -t windows-1251 koi.txt
echo "status $?"
"$SNPLN" -d koi.txt
