#!/usr/bin/env bash
# The install rules and the manifest `make uninstall` works from: a full
# install under a fresh prefix lists the programs, the desktop entry and the
# icons, the manual pages and the bash completion, every listed file
# is there, and `make uninstall` removes every one of them.
#
#   test_install.sh SOURCE_DIR BUILD_DIR
#
# The install runs one component at a time, so that its manifests
# (install_manifest_<component>.txt) never overwrite the install_manifest.txt
# of a real `make install` from this tree.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
src=$1
build=$2
prefix=$(mktemp -d)
manifest=$prefix.manifest
trap 'rm -rf "$prefix" "$manifest"' EXIT

components=$(grep -rhoE --include=cmake_install.cmake \
  'CMAKE_INSTALL_COMPONENT STREQUAL "[^"]+"' "$build" |
  sed 's/.*"\(.*\)"/\1/' | sort -u)
# One component per Debian package: a rule that names none (Unspecified)
# would install a file that neither package holds.
wanted_components=snpln-cli
[[ -x "$build/ui/snpln" ]] && wanted_components=$'snpln\nsnpln-cli'
expect_eq "the install components" "$wanted_components" "$components"
: > "$manifest"
# The manifests joined as CMake writes one: no line end after the last name.
first=1
for c in $components; do
  cmake --install "$build" --prefix "$prefix" --component "$c" > /dev/null
  expect_eq "install of component $c: status" 0 "$?"
  [[ $first -eq 1 ]] || printf '\n' >> "$manifest"
  first=0
  cat "$build/install_manifest_$c.txt" >> "$manifest"
  rm -f "$build/install_manifest_$c.txt"
done
listed=$(sed "s|^$prefix/||" "$manifest" | sed '/^$/d' | sort)

wanted=(bin/snpln-cli share/bash-completion/completions/snpln-cli)
if command -v help2man > /dev/null; then
  wanted+=(share/man/man1/snpln-cli.1.gz)
fi
if [[ -x "$build/ui/snpln" ]]; then
  wanted+=(bin/snpln share/applications/snpln.desktop
    share/icons/hicolor/16x16/apps/snpln.png
    share/icons/hicolor/32x32/apps/snpln.png)
  # The window's page, when its build wrote one: the build asks the window
  # for --version and gives up on one that opens instead (a guard against a
  # hang, not a measure). That the window answers is tested on its own
  # (CliProcesses.TheWindowsProgramPrintsHelpAndVersion); asking it again
  # here against a clock would make the answer depend on the machine's load.
  if command -v help2man > /dev/null && [[ -f "$build/ui/snpln.1.gz" ]]; then
    wanted+=(share/man/man1/snpln.1.gz)
  fi
fi
for w in "${wanted[@]}"; do
  expect_contains "the manifest lists $w" "$listed" "$w"
done
while IFS= read -r f || [[ -n "$f" ]]; do
  [[ -e "$f" ]] || fail "listed but not installed: $f"
done < "$manifest"
for exe in bin/snpln-cli bin/snpln; do
  if [[ "$listed" == *"$exe"* && ! -x "$prefix/$exe" ]]; then
    fail "$exe is installed without its execute permission"
  fi
done
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
expect_eq "every installed file is in the manifest" "$installed" "$listed"

out=$(make --no-print-directory -C "$src" uninstall MANIFEST="$manifest" 2>&1)
expect_eq "make uninstall: status" 0 "$?"
# The manifest's last name has no line end after it; it goes too.
left=$(find "$prefix" -type f)
expect_eq "make uninstall leaves no installed file" "" "$left"
rm -f "$manifest"

out=$(make --no-print-directory -C "$src" uninstall MANIFEST="$manifest" 2>&1)
expect_eq "make uninstall without a manifest: status" 2 "$?"
expect_contains "make uninstall without a manifest says so" "$out" \
  "Nothing to uninstall"

finish
