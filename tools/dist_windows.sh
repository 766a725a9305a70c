#!/usr/bin/env bash
# make dist-windows: snpln-cli-VERSION-win64.zip in the output directory,
# holding snpln-cli-VERSION-win64/ with the statically linked snpln-cli.exe
# (its debugging sections stripped), README.md, LICENSE and WINDOWS.txt
# (the short usage note, with Windows line ends).
# Arguments: the Windows build directory, the output directory.
set -euo pipefail
build=$1 out=$2
version=$(sed -n 's/^project(snpln VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="snpln-cli-$version-win64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$out"
x86_64-w64-mingw32-strip -o "$stage/$name/snpln-cli.exe" "$build/cli/snpln-cli.exe"
cp README.md LICENSE "$stage/$name/"
sed 's/$/\r/' tools/windows_usage.txt > "$stage/$name/WINDOWS.txt"
# Every entry dated by the last commit, so that a rebuild gives the same zip.
stamp=$(git log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)
find "$stage/$name" -exec touch -t "$stamp" {} +
rm -f "$out/$name.zip"
(cd "$stage" && TZ=UTC zip -q -X -r "$OLDPWD/$out/$name.zip" "$name")
echo "$out/$name.zip"
