# Failures go to standard error with the system's reason and give status 1;
# a file without Cyrillic letters is no failure. The run goes on past a
# failed name.
printf 'english only' >plain.txt
mkdir dir
"$SNPLN" --upper missing.txt plain.txt
echo "status $?"
cat plain.txt; echo
"$SNPLN" --to win plain.txt
echo "status $?"
"$SNPLN" -f utf8 -t koi bad.txt 2>/dev/null
printf 'ok \320\277\377 z' >bad.txt
"$SNPLN" -f utf8 -t koi bad.txt
echo "status $?"
"$SNPLN" --json -f utf8 -t koi bad.txt missing.txt
echo "status $?"
