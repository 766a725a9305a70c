#!/usr/bin/env bash
# Shows snpln-cli at work on the bundled sample: detect its code page, then
# recode a copy to Windows-1251. With arguments, runs snpln-cli on them.
set -euo pipefail
cli=$(realpath "$1")
shift
if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/note-dos.txt" "$work/note.txt"
cd "$work"
echo "\$ snpln-cli --detect note.txt"
"$cli" --detect note.txt
echo "\$ snpln-cli --to win note.txt"
"$cli" --to win note.txt
echo "\$ snpln-cli --detect note.txt"
"$cli" --detect note.txt
echo "--- note.txt, shown as UTF-8:"
iconv -f CP1251 -t UTF-8 note.txt
