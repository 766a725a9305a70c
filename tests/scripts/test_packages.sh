#!/usr/bin/env bash
# The Debian packages as a user gets them (make test-packages, as root, on a
# machine where neither package is installed):
#
#   test_packages.sh DEB_BUILD_DIR
#
# - dpkg --audit finds nothing to mend before anything is installed;
# - DEB_BUILD_DIR/packages holds one snpln and one snpln-cli package, whose
#   files together are exactly what the tree's install rules install under
#   /usr, each file in one of them; their dependencies (Qt for the window
#   and a metric-compatible font, nothing of Qt for snpln-cli), lintian,
#   desktop-file-validate and appstreamcli have nothing to say;
# - a rehearsal installs both and then fails on purpose: its exit trap
#   purges them and nothing of theirs is left;
# - both install with apt-get install ./x.deb, which installs nothing else;
#   the programs in /usr/bin answer --version (the window offscreen), and
#   snpln-cli detects and recodes a tree of real files; the manual pages
#   and the completion are in place;
# - apt-get purge removes them (a trap does it too if any step fails or the
#   run is interrupted): no file or directory of theirs is left, and dpkg
#   knows nothing of them.
#
# The programs are run by their full names in /usr/bin: a `make install`
# into /usr/local comes first on PATH and is never touched. A package file
# that is already there (a `make install PREFIX=/usr`) stops the test
# before anything is installed, as does an installed snpln or snpln-cli.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/check.sh"
root=$(cd "$here/../.." && pwd)
build=$(realpath "$1")
names=(snpln-cli snpln)
apt_options=(-y -q --no-install-recommends -o DPkg::Lock::Timeout=600)

if [[ $(id -u) -ne 0 ]]; then
  echo "test_packages.sh installs into /usr: run it as root"
  exit 1
fi

# One run at a time on this machine: another run's purge would pull the
# packages from under this one. The wait only guards against a hang.
exec 9> /run/lock/snpln-test-packages.lock
if ! flock -w 1800 9; then
  echo "another run of test_packages.sh holds /run/lock/snpln-test-packages.lock"
  exit 1
fi

step() { printf '== %s (at %ds)\n' "$1" "$SECONDS"; }
# The steps after a failed one would only fail for its sake: stop there
# (the exit trap purges whatever this run installed).
stop_if_failed() {
  if [[ $failures -ne 0 ]]; then
    echo "stopped after the failed step"
    finish
  fi
}

step "dpkg --audit"
audit=$(dpkg --audit 2>&1)
expect_eq "dpkg --audit: status and report" "0:" "$?:$audit"
stop_if_failed

step "the package files"
declare -A deb
for n in "${names[@]}"; do
  found=("$build/packages/${n}_"*.deb)
  if [[ ${#found[@]} -ne 1 || ! -f ${found[0]} ]]; then
    fail "exactly one ${n}_*.deb in $build/packages (make deb writes it)"
    printf '  found: %s\n' "${found[*]}"
    continue
  fi
  deb[$n]=${found[0]}
  echo "${deb[$n]}"
done
stop_if_failed

work=$(mktemp -d)
# The rehearsal's trap and the real run's share this cleanup.
installed_by_us=0
purge_ours() {
  [[ $installed_by_us -eq 1 ]] || return 0
  echo "== purging snpln and snpln-cli"
  DEBIAN_FRONTEND=noninteractive apt-get purge "${apt_options[@]}" \
    "${names[@]}" > "$work/purge.log" 2>&1
  local status=$?
  if [[ $status -ne 0 ]]; then
    cat "$work/purge.log"
    dpkg --purge "${names[@]}"
  fi
  installed_by_us=0
  return $status
}
# The exit trap: purge what this run installed, whatever step failed.
on_exit() {
  local status=$?
  purge_ours
  [[ -n ${keep_work:-} ]] || rm -rf "$work"
  exit "$status"
}
trap on_exit EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The paths of each package: all of them (directories end in a slash in
# the archive), and its files alone.
for n in "${names[@]}"; do
  dpkg-deb --fsys-tarfile "${deb[$n]}" | tar -t | sed 's|^\./|/|' |
    sed '/^\/$/d' > "$work/$n.archive"
  sed 's|/$||' "$work/$n.archive" | sort > "$work/$n.paths"
  grep -v '/$' "$work/$n.archive" | sort > "$work/$n.files"
done

step "control fields"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cached CMAKE_PROJECT_VERSION)
revision=$(cached SNPLN_DEB_REVISION)
# The maintainer: the tree's git identity, else its last commit's author.
name=$(git -C "$root" config user.name)
email=$(git -C "$root" config user.email)
if [[ -n $name && -n $email ]]; then
  maintainer="$name <$email>"
else
  maintainer=$(git -C "$root" log -1 --format='%an <%ae>')
fi
for n in "${names[@]}"; do
  expect_eq "$n: Package" "$n" "$(dpkg-deb -f "${deb[$n]}" Package)"
  expect_eq "$n: Version" "$version-$revision" "$(dpkg-deb -f "${deb[$n]}" Version)"
  expect_eq "$n: Maintainer" "$maintainer" "$(dpkg-deb -f "${deb[$n]}" Maintainer)"
done
cli_depends=$(dpkg-deb -f "${deb[snpln-cli]}" Depends)
win_depends=$(dpkg-deb -f "${deb[snpln]}" Depends)
expect_contains "snpln-cli depends on libc6" "$cli_depends" "libc6 ("
# The C++ runtime is linked into snpln-cli: it needs no libstdc++6.
if grep -q 'libstdc++' <<< "$cli_depends"; then
  fail "snpln-cli depends on no libstdc++ (it carries its own)"
fi
if grep -qi 'qt' <<< "$cli_depends"; then
  fail "snpln-cli depends on nothing of Qt"
  printf '  Depends: %s\n' "$cli_depends"
fi
for dep in "libqt6core6 (" "libqt6gui6 (" "libqt6widgets6 (" fonts-liberation; do
  expect_contains "snpln depends on $dep" "$win_depends" "$dep"
done

step "the packages install what the install rules install"
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr > /dev/null
expect_eq "cmake --install: status" 0 "$?"
(cd "$stage" && find . ! -type d | sed 's|^\.||' | sort) > "$work/rules.files"
expect_eq "the two packages' files, against the install rules'" \
  "$(cat "$work/rules.files")" \
  "$(sort "$work/snpln-cli.files" "$work/snpln.files")"
expect_eq "no file in both packages" "" \
  "$(comm -12 "$work/snpln-cli.files" "$work/snpln.files")"
cli_wanted=(/usr/bin/snpln-cli /usr/share/man/man1/snpln-cli.1.gz
  /usr/share/bash-completion/completions/snpln-cli
  /usr/share/doc/snpln-cli/copyright /usr/share/doc/snpln-cli/changelog.Debian.gz)
win_wanted=(/usr/bin/snpln /usr/share/man/man1/snpln.1.gz
  /usr/share/applications/snpln.desktop /usr/share/metainfo/snpln.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/snpln.svg
  /usr/share/snpln/translations/snpln_ru.qm
  /usr/share/doc/snpln/copyright /usr/share/doc/snpln/changelog.Debian.gz)
for size in 16 32 48 64 128 256; do
  win_wanted+=("/usr/share/icons/hicolor/${size}x${size}/apps/snpln.png")
done
for f in "${cli_wanted[@]}"; do
  expect_contains "snpln-cli holds $f" "$(cat "$work/snpln-cli.files")" "$f"
done
for f in "${win_wanted[@]}"; do
  expect_contains "snpln holds $f" "$(cat "$work/snpln.files")" "$f"
done

step "lintian"
# Every tag lintian gives, information included, except these two:
# - initial-upload-closes-no-bugs: a first Debian revision is expected to
#   close the archive's request-for-packaging bug; these packages are built
#   from the project's tree and go to no Debian archive, so there is none.
# - hardening-no-fortify-functions: snpln-cli is built with
#   -D_FORTIFY_SOURCE=2 (dpkg-buildflags), but each fortifiable call it
#   makes (read, vsnprintf, readlinkat) writes into a buffer whose size is
#   known only at run time, so the compiler keeps the plain function.
justified='initial-upload-closes-no-bugs|hardening-no-fortify-functions'
lint=$(lintian --display-info --tag-display-limit 0 \
  "${deb[snpln-cli]}" "${deb[snpln]}" 2>&1)
expect_eq "lintian: status" 0 "$?"
printf '%s\n' "$lint" | sed 's/^/  lintian: /'
expect_eq "lintian: tags besides the justified ones" "" \
  "$(grep -E '^[EWIX]: ' <<< "$lint" | grep -Ev ": ($justified) ")"

step "desktop entry and AppStream metadata"
mkdir "$work/win"
dpkg-deb -x "${deb[snpln]}" "$work/win"
out=$(desktop-file-validate "$work/win/usr/share/applications/snpln.desktop" 2>&1)
expect_eq "desktop-file-validate: status and report" "0:" "$?:$out"
# The only warning is the component id, which is not in reverse-DNS form: it
# names the desktop entry snpln.desktop, which the window's users have.
out=$(appstreamcli validate --no-net --no-color \
  "$work/win/usr/share/metainfo/snpln.metainfo.xml" 2>&1)
expect_eq "appstreamcli validate: errors and warnings besides the id" "" \
  "$(grep -E '^[EW]:' <<< "$out" | grep -v 'cid-desktopapp-is-not-rdns')"

step "nothing of theirs is on the machine"
for n in "${names[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$n" 2>/dev/null)
  if [[ -n "$status" && "$status" != not-installed ]]; then
    fail "$n is $status here: purge it first (apt-get purge $n)"
  fi
done
present=$(sort -u "$work/snpln-cli.files" "$work/snpln.files" |
  while IFS= read -r f; do [[ -e "$f" || -L "$f" ]] && echo "$f"; done)
expect_eq "no file of the packages is there before they are installed" "" "$present"
stop_if_failed
# Every name with snpln in it under /usr but for /usr/local (a make install
# there is none of the packages' business), before and after.
snpln_names() {
  find /usr -path /usr/local -prune -o -name '*snpln*' -print 2>/dev/null | sort
}
snpln_names > "$work/names.before"
# What exists before: a directory the packages share with the system
# (/usr/bin, the icon theme's) stays after the purge, and all else goes.
sort -u "$work/snpln-cli.paths" "$work/snpln.paths" |
  while IFS= read -r p; do [[ -e "$p" ]] && echo "$p"; done > "$work/before"

# nothing_left WHEN: the purge left no path of the packages that was not
# there before, and dpkg has no record of either.
nothing_left() {
  local left
  left=$(sort -u "$work/snpln-cli.paths" "$work/snpln.paths" |
    while IFS= read -r p; do [[ -e "$p" || -L "$p" ]] && echo "$p"; done |
    comm -23 - "$work/before")
  expect_eq "$1: no file or directory of the packages is left" "" "$left"
  expect_eq "$1: the names with snpln in them under /usr" \
    "$(cat "$work/names.before")" "$(snpln_names)"
  for n in "${names[@]}"; do
    expect_eq "$1: dpkg's status file has no $n" "" \
      "$(grep -x "Package: $n" /var/lib/dpkg/status)"
    expect_eq "$1: dpkg's info has no $n" "" \
      "$(ls /var/lib/dpkg/info | grep -E "^$n(:[a-z0-9]+)?\.")"
    dpkg-query -W "$n" > /dev/null 2>&1
    expect_eq "$1: dpkg-query -W $n: status" 1 "$?"
  done
}

install_ours() {
  installed_by_us=1
  DEBIAN_FRONTEND=noninteractive apt-get install "${apt_options[@]}" \
    "${deb[snpln-cli]}" "${deb[snpln]}" > "$work/install.log" 2>&1
  local status=$?
  [[ $status -eq 0 ]] || cat "$work/install.log"
  return $status
}

step "apt-get installs the two packages and nothing else"
inst=$(apt-get -s install "${apt_options[@]}" "${deb[snpln-cli]}" "${deb[snpln]}" |
  awk '$1 == "Inst" {print $2}' | sort | tr '\n' ' ')
expect_eq "what apt-get would install" "snpln snpln-cli " "$inst"
stop_if_failed

step "rehearsal: a step fails after the install"
# The parent purges too should the rehearsal's trap not have done it.
installed_by_us=1
(
  keep_work=1
  trap on_exit EXIT
  install_ours || exit 2
  for n in "${names[@]}"; do
    [[ $(dpkg-query -W -f='${db:Status-Status}' "$n") == installed ]] || exit 3
  done
  exit 1 # the failing step
)
expect_eq "the rehearsal's status (1: installed both, then failed)" 1 "$?"
nothing_left "after the failed rehearsal"
stop_if_failed
installed_by_us=0

step "apt-get install ./snpln-cli_*.deb ./snpln_*.deb"
install_ours
expect_eq "apt-get install: status" 0 "$?"
stop_if_failed
for n in "${names[@]}"; do
  expect_eq "$n: dpkg status" "installed $version-$revision" \
    "$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$n")"
  while IFS= read -r f; do
    owner=$(dpkg-query -S "$f" 2>/dev/null | cut -d: -f1)
    [[ -e "$f" && $owner == "$n" ]] || fail "$f is installed and $n's (owner: $owner)"
  done < "$work/$n.files"
done

step "the programs"
out=$(/usr/bin/snpln-cli --version 2>&1)
expect_eq "snpln-cli --version: status" 0 "$?"
expect_contains "snpln-cli --version names the version" "$out" "$version"
out=$(QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/snpln --version 2>&1)
expect_eq "snpln --version: status" 0 "$?"
expect_contains "snpln --version names the version" "$out" "$version"
for exe in /usr/bin/snpln-cli /usr/bin/snpln; do
  expect_eq "$exe: libraries not found" "" "$(ldd "$exe" | grep 'not found')"
done
expect_eq "snpln-cli loads nothing of Qt" "" "$(ldd /usr/bin/snpln-cli | grep -i qt)"
expect_contains "snpln loads Qt 6 Widgets" "$(ldd /usr/bin/snpln)" "libQt6Widgets.so.6"
# The window itself, offscreen: it opens, draws itself into a picture and
# closes (SNPLN_SCREENSHOT); its settings and run-time files go to the
# test's own folder. (Qt's offscreen platform may say it cannot raise a
# window: the output is shown, only the status decides.)
mkdir -p "$work/home" && mkdir -m 700 "$work/runtime"
out=$(cd "$work" && HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
  XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen \
  SNPLN_SCREENSHOT=$work/window.png timeout 120 /usr/bin/snpln 2>&1)
expect_eq "snpln opened offscreen and closed: status" 0 "$?"
[[ -z "$out" ]] || printf '%s\n' "$out" | sed 's/^/  snpln: /'
expect_contains "snpln drew its window" "$(file "$work/window.png")" "PNG image data"

# A tree of real files: a CP866 and a KOI8-R note, their code pages
# detected, both recoded to UTF-8 as iconv recodes them; modes kept.
tree=$work/tree
mkdir -p "$tree/sub"
cp "$root/samples/note-dos.txt" "$tree/note-dos.txt"
cp "$root/samples/note-koi.txt" "$tree/sub/note-koi.txt"
chmod 640 "$tree/sub/note-koi.txt"
out=$(cd "$work" && /usr/bin/snpln-cli -d tree/note-dos.txt tree/sub/note-koi.txt 2>&1)
expect_eq "snpln-cli -d: status" 0 "$?"
expect_contains "snpln-cli -d: the DOS note" "$out" "Dos"
expect_contains "snpln-cli -d: the KOI8-R note" "$out" "Koi"
out=$(/usr/bin/snpln-cli -t utf8 "$tree" 2>&1)
expect_eq "snpln-cli -t utf8 on the tree: status" 0 "$?"
expect_eq "the DOS note in UTF-8" \
  "$(iconv -f CP866 -t UTF-8 "$root/samples/note-dos.txt" | od -An -tx1)" \
  "$(od -An -tx1 "$tree/note-dos.txt")"
expect_eq "the KOI8-R note in UTF-8" \
  "$(iconv -f KOI8-R -t UTF-8 "$root/samples/note-koi.txt" | od -An -tx1)" \
  "$(od -An -tx1 "$tree/sub/note-koi.txt")"
expect_eq "the KOI8-R note keeps its mode" 640 "$(stat -c %a "$tree/sub/note-koi.txt")"
expect_eq "the tree holds the two notes only" "note-dos.txt note-koi.txt sub " \
  "$(find "$tree" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')"

for n in "${names[@]}"; do
  # The title line names the page and section 1, quoted or not (one page
  # is generated, the other kept by hand).
  expect_eq "the manual page of $n: its title" ".TH ${n^^} 1" \
    "$(zcat "/usr/share/man/man1/$n.1.gz" | grep -m1 '^\.TH ' |
      awk '{ gsub(/"/, "", $2); gsub(/"/, "", $3); print $1, $2, $3 }')"
done
out=$(bash -c 'source /usr/share/bash-completion/completions/snpln-cli &&
  complete -p snpln-cli' 2>&1)
expect_contains "the completion of snpln-cli loads" "$out" "complete -F"

step "apt-get purge snpln snpln-cli"
installed_by_us=1
purge_ours
expect_eq "apt-get purge: status" 0 "$?"
nothing_left "after the purge"

finish
