# A recoding over several files rewrites each and prints the success line
# once, for the last.
printf '\217\340\250\242\245\342, \254\250\340' >a.txt
cp a.txt b.txt
"$SNPLN" --from dos --to win a.txt b.txt
echo "status $?"
od -An -c a.txt
cmp a.txt b.txt && echo "b.txt the same"
