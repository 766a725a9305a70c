# -b keeps each original as NAME~ (or NAME+SUFFIX) and names it in the
# report; -o FILE takes the result and leaves the input as it is; the
# combinations -o refuses are usage errors (status 2) that change nothing.
printf '\320\274\320\270\321\200\n' >a.txt
"$SNPLN" -b -v -t win a.txt
echo "status $?"
"$SNPLN" -b --suffix=.orig --json -f win -t koi a.txt
echo "status $?"
ls
"$SNPLN" -o out.txt -t utf8 --json a.txt
echo "status $?"
printf 'bad \377\n' >bad.txt
"$SNPLN" -o bad.out -f utf8 -t koi bad.txt
echo "status $?"
[[ -e bad.out ]] || echo "bad.out not made"
mkdir dir
ln a.txt hard.txt
ln -s a.txt link.txt
for args in "-o dir --upper a.txt" "-o x --upper dir" "-o a.txt --upper a.txt" \
  "-o hard.txt --upper a.txt" "-o link.txt --upper ./a.txt" \
  "-o x --upper a.txt out.txt" "-o x --upper -" "-o - --upper a.txt" \
  "-o x -n --upper a.txt" "-o x -d a.txt" "-o x -b --upper a.txt" \
  "--suffix=.bak --upper a.txt" "-b --suffix=a/b --upper a.txt"; do
  # shellcheck disable=SC2086
  "$SNPLN" $args </dev/null
  echo "status $?"
done
ls
# -o names its own failures: a FIFO is no file to write, a missing folder
# has the system's reason; the input stays as it is.
mkfifo fifo
"$SNPLN" -o fifo -t koi a.txt
echo "status $?"
"$SNPLN" -o nowhere/o.txt -t koi a.txt --json
echo "status $?"
