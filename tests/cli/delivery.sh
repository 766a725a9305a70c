# Standard input's text: success is said only once the text is delivered.
# A text that cannot be written prints only the write error, status 1; a
# reader that goes early is the same write error, not a death by SIGPIPE.
printf '\360\322\311\327\305\324\n' >koi.txt
"$SNPLN" -t utf8 - <koi.txt >/dev/full
echo "status $?"
"$SNPLN" -v -t utf8 - <koi.txt >/dev/null
echo "status $?"
for i in $(seq 1 20000); do printf '\360\322\311\327\305\324 %s\n' $i; done >big.txt
"$SNPLN" -t utf8 - <big.txt | head -c 10 >/dev/null
echo "status ${PIPESTATUS[0]}"
LC_ALL=ru_RU.UTF-8 "$SNPLN" -t utf8 - <koi.txt 2>&1 >/dev/full |
  sed 's/: [^:]*$/: <reason>/'
echo "status ${PIPESTATUS[0]}"
LC_ALL=ru_RU.UTF-8 "$SNPLN" -v -t utf8 - <koi.txt 2>&1 >/dev/null
