# Under a Russian locale the messages, usage errors and help are Russian,
# from the same catalogue as the window; names and numbers stay as they
# are.
printf '\360\322\311\327\305\324' >koi.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" -d koi.txt missing.txt 2>&1 |
  sed 's/^\(missing.txt: [^:]*\): .*$/\1: <reason>/'
LC_ALL=ru_RU.UTF-8 "$SNPLN" -t win koi.txt
LC_ALL=ru_RU.UTF-8 "$SNPLN" koi.txt
echo "status $?"
LC_ALL=ru_RU.UTF-8 "$SNPLN" --help | grep -o 'Перевести в верхний регистр'
