# An empty text to look for is refused plainly, naming the option, status 2.
printf 'x' >a.txt
"$SNPLN" --exclude '' a.txt
echo "status $?"
