# --json is a complete record: every object has its kind, the run ends with
# one summary (files under their worst outcome, hits and fills per
# operation, the status); a dry run says what -b and -k would do; the
# objects go to standard output unless it carries standard input's text,
# and a report that cannot be written fails the run.
printf '\360\322\311\327\305\324 \301\301\301\n' >koi.txt
printf 'plain aaa\n' >en.txt
mkdir d
printf '\360\322\311\327\305\324\n' >d/k.txt
cp koi.txt d/k.txt~
echo "-- dry run with -b -k"
"$SNPLN" --json -n -b -k -t utf8 koi.txt d
echo "status $?"
echo "-- real run: hits, a name not found"
"$SNPLN" --json --replace aaa --with b -t win koi.txt en.txt missing.txt
echo "status $?"
echo "-- filter: text on standard output, the objects on standard error"
printf '\360\322\311\327\305\324\n' | "$SNPLN" --json -t win - 2>err.json | od -An -tx1
cat err.json
echo "-- filter, dry run: the objects on standard output"
printf '\360\322\311\327\305\324\n' | "$SNPLN" --json -n -t win - 2>/dev/null
echo "-- the text lost: its object and the summary say so"
printf '\360\322\311\327\305\324\n' | "$SNPLN" --json -t win - 2>&1 >/dev/full
echo "status ${PIPESTATUS[1]}"
echo "-- the report lost: status 1 in every mode"
"$SNPLN" --json -n -t utf8 koi.txt >/dev/full 2>/dev/null
echo "status $?"
printf '\360\322\311\327\305\324\n' | "$SNPLN" --json -t win - 2>/dev/full >/dev/null
echo "status ${PIPESTATUS[1]}"
printf '\360\322\311\327\305\324\n' | "$SNPLN" -t win - 2>/dev/full >/dev/null
echo "status ${PIPESTATUS[1]}"
