#!/usr/bin/env bash
# Takes the pictures of the windows for the README (docs/main-window.png and,
# with doc_pictures built, docs/{prompt,options,progress,preview,
# main-window-ru}.png)
# and draws the icon files the install rules use (ui/packaging/snpln-*.png at
# every installed size, and ui/packaging/snpln.svg).
#
#   tools/screenshot.sh [path/to/snpln]     (default: build/release/ui/snpln)
#
# The window is opened on a sample file and grabs itself once it is shown
# (SNPLN_SCREENSHOT), without a display: Qt's offscreen platform, or Xvfb
# when QT_QPA_PLATFORM=xcb is asked for.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
snpln="$(realpath "${1:-$root/build/release/ui/snpln}")"
if [[ ! -x "$snpln" ]]; then
  echo "no program at $snpln: build it first (make build)" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/samples/note-dos.txt" "$work/note.txt"
mkdir -p "$root/docs" "$work/config"

run() {
  (cd "$work" &&
    XDG_CONFIG_HOME="$work/config" \
    SNPLN_SCREENSHOT="$root/docs/main-window.png" \
    SNPLN_ICON_DIR="$root/ui/packaging" \
    "$@" "$snpln" note.txt)
}

# The other windows, when the benchmark build's doc_pictures is there (make
# bench, or cmake -DSNPLN_BUILD_BENCH=ON).
pictures="${DOC_PICTURES:-$(dirname "$(dirname "$snpln")")/bench/doc_pictures}"
shots() {
  run "$@"
  if [[ -x "$pictures" ]]; then
    (cd "$work" && "$@" "$pictures" note.txt "$root/docs") &&
      echo "wrote docs/{prompt,options,progress,preview,main-window-ru}.png"
  fi
}

if [[ "${QT_QPA_PLATFORM:-offscreen}" == xcb ]]; then
  shots xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb
else
  shots env QT_QPA_PLATFORM=offscreen
fi
echo "wrote docs/main-window.png, ui/packaging/snpln-{16,32,48,64,128,256}.png and ui/packaging/snpln.svg"
