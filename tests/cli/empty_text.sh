# An empty text to exclude is refused in the system's own words, status 2.
printf 'x' >a.txt
"$SNPLN" --exclude '' a.txt
echo "status $?"
