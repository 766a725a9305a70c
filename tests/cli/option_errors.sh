# Every complaint about the command line is one line in the user's words,
# naming the option and, where it has them, the values it takes (the
# nearest one suggested), then the pointer to --help; status 2 and no
# file touched. Nothing of the parser's inner workings shows. Under a
# Russian locale the complaints and --help are Russian.
printf 'abc\n' >a.txt
complain() {
  "$SNPLN" "$@" </dev/null
  echo "status $?"
}
complain --line-ends lfx a.txt
complain --line-ends a.txt
complain --line-ends
complain --bom yes a.txt
complain --bom
complain -j x --upper a.txt
complain -j 0 --upper a.txt
complain --jobs=1025 --upper a.txt
complain --tab-size 0 --optimize a.txt
complain --optimize --tab-size=-4 a.txt
complain -t
complain -t utf --upper a.txt
complain -f auto8 -t win a.txt
complain -t win -t koi a.txt
complain --upper=yes a.txt
complain --uper a.txt
complain --frobnicate a.txt
complain -x a.txt
complain -nz a.txt
complain --upper --lower a.txt
complain --lower --upper a.txt
complain -d -t win a.txt
complain --json -q --upper a.txt
complain --with x a.txt
complain --left-part --upper a.txt
complain --save-upper --upper a.txt
complain --suffix .bak --upper a.txt
complain --replace '' --with x a.txt
complain --exclude= a.txt
complain --exclude a --replace b a.txt
complain --filter 'a/*.txt' --upper a.txt
complain --filter ' ' --upper a.txt
complain --suffix a/b -b --upper a.txt
complain -o - --upper a.txt
complain a.txt
complain --upper
complain
cat a.txt
# -h, -V and -l answer wherever they stand, whatever else is wrong.
"$SNPLN" --frobnicate -V | sed 's/ .*//'
"$SNPLN" -t koi -l | tail -1
"$SNPLN" --upper --lower --help | head -1
# In Russian.
ru() {
  LC_ALL=ru_RU.UTF-8 "$SNPLN" "$@" </dev/null
}
for args in "--line-ends lfx a.txt" "--bom" "-j x --upper a.txt" \
  "-t utf --upper a.txt" "--upper --lower a.txt" "--left-part --upper a.txt" \
  "--replace= a.txt" "--uper a.txt" "--upper=1 a.txt" "a.txt" "--upper"; do
  # shellcheck disable=SC2086
  ru $args
  echo "status $?"
done
ru --help | sed -n '1p;/^Операции/,+2p;/^Сведения/,+3p'
ru -l | tail -1
