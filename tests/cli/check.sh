# --check, for commit hooks and CI: a dry run that prints a line for each
# file that would change and nothing for the others (they with -v), writes
# nothing, and ends with status 1 when any file would change, 0 when none
# would; a usage error stays status 2.
printf 'a\nb\n' >lf.txt
printf 'Привет\n' >utf8.txt
printf '\360\322\311\327\305\324\r\n' >koi.txt
cp koi.txt koi.orig
mkdir tree
cp lf.txt utf8.txt tree
check() {
  "$SNPLN" --check "$@"
  echo "status $?"
}
# Clean files and a clean tree: no line, status 0.
check -t utf8 --line-ends lf lf.txt utf8.txt tree
check -v -t utf8 --line-ends lf lf.txt
# One file would change: its lines, status 1, the file as it was.
check -t utf8 --line-ends lf lf.txt koi.txt utf8.txt
cmp -s koi.txt koi.orig && echo "koi.txt as it was"
check -q -t utf8 --line-ends lf koi.txt
check --json -t utf8 --line-ends lf lf.txt koi.txt
cmp -s koi.txt koi.orig && echo "koi.txt as it was"
# -b and -k mean nothing when nothing is written, as with -n.
check -b -k --line-ends lf koi.txt
ls
# The same in Russian.
LC_ALL=ru_RU.UTF-8 "$SNPLN" --check -t utf8 --line-ends lf lf.txt koi.txt
echo "status $?"
LC_ALL=ru_RU.UTF-8 "$SNPLN" --check -o out.txt --line-ends lf koi.txt
echo "status $?"
# Usage errors: status 2, nothing touched.
check -o out.txt --line-ends lf koi.txt
check -d koi.txt
check koi.txt
cmp -s koi.txt koi.orig && echo "koi.txt as it was"
ls
