#!/usr/bin/env bash
# make test-windows: the Windows build's tests under wine (one ctest test per
# test program), then the zip of make dist-windows unpacked and run.
# Arguments: the Windows build directory, the zip, the number of jobs.
set -euo pipefail
build=$1 zip=$2 jobs=${3:-2}
source tools/wine_env.sh
start_wine
trap stop_wine EXIT

(cd "$build" && ctest --output-on-failure -j "$jobs")

# The zip as a user gets it: unpacked anywhere, the program run from it.
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_wine' EXIT
unzip -q "$zip" -d "$work"
dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d)
for f in snpln-cli.exe README.md LICENSE WINDOWS.txt; do
  [ -f "$dir/$f" ] || { echo "the zip lacks $f"; exit 1; }
done
exe="$dir/snpln-cli.exe"
if x86_64-w64-mingw32-objdump -p "$exe" | grep -i "DLL Name" |
   grep -v -i -E "kernel32|ntdll|bcrypt|msvcrt|advapi32|shell32|user32|api-ms-win" ; then
  echo "snpln-cli.exe needs a DLL that Windows does not have"; exit 1
fi
version=$(wine "$exe" --version | tr -d '\r')
[ "$version" = "snpln-cli $(basename "$dir" | sed 's/^snpln-cli-\(.*\)-win64$/\1/')" ] ||
  { echo "unexpected version line: $version"; exit 1; }
mkdir -p "$work/Тексты"
printf 'Привет, мир!\r\nЁлка\r\n' | iconv -f UTF-8 -t CP1251 > "$work/Тексты/письмо.txt"
printf 'Привет, мир!\r\nЁлка\r\n' | iconv -f UTF-8 -t KOI8-R > "$work/expected.txt"
(cd "$work" && wine "$exe" --to koi "Тексты/письмо.txt" >/dev/null)
cmp "$work/Тексты/письмо.txt" "$work/expected.txt"
# Standard input to standard output, byte for byte.
printf 'Привет\n' | iconv -f UTF-8 -t CP866 |
  wine "$exe" --from dos --to utf8 - > "$work/out.txt"
printf 'Привет\n' | cmp - "$work/out.txt"
echo "The Windows zip: unpacked, run under wine, a conversion and a filter checked."
