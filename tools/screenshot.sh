#!/usr/bin/env bash
# Takes the pictures of the windows for the README (docs/main-window.png
# and, with doc_pictures built, docs/{prompt,options,progress,preview,
# save-refused,main-window-ru}.png and the main window under a dark palette
# and maximised, in English and Russian: docs/main-window-{dark,maximized}
# {,-ru}.png; the repair, from samples/garbled-utf8.txt:
# docs/{main-window-repair,preview-repair}{,-ru}.png; a run's wait line,
# cancel summary and totals: docs/run-{waiting,canceled,totals}{,-ru}.png)
# and draws the icon files the install rules use
# (ui/packaging/snpln-*.png at every installed size, and
# ui/packaging/snpln.svg).
#
#   tools/screenshot.sh [path/to/snpln]     (default: build/release/ui/snpln)
#
# The windows are shown on a virtual screen (Xvfb) with a light window
# manager (openbox), so that each has the frame and the title bar, close box
# included, that a desktop gives it, and each takes its picture from the
# screen once it is shown. Needs xvfb, xauth, openbox and x11-utils (Debian:
# apt-get install xvfb xauth openbox x11-utils). doc_pictures comes with the
# benchmark build (make bench, or cmake -DSNPLN_BUILD_BENCH=ON).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
snpln="$(realpath "${1:-$root/build/release/ui/snpln}")"
if [[ ! -x "$snpln" ]]; then
  echo "no program at $snpln: build it first (make build)" >&2
  exit 1
fi
pictures="${DOC_PICTURES:-$(dirname "$(dirname "$snpln")")/bench/doc_pictures}"

if [[ -z "${SNPLN_SCREENSHOT_SCREEN:-}" ]]; then
  for tool in xvfb-run xauth openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
      echo "tools/screenshot.sh needs $tool (Debian: apt-get install xvfb" \
        "xauth openbox x11-utils)" >&2
      exit 1
    fi
  done
  # Again, inside a virtual screen of its own.
  exec env SNPLN_SCREENSHOT_SCREEN=1 xvfb-run -a \
    -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$snpln"
fi

work="$(mktemp -d)"
wm=""
cleanup() {
  if [[ -n "$wm" ]]; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
cp "$root/samples/note-dos.txt" "$work/note.txt"
cp "$root/samples/garbled-utf8.txt" "$work/garbled.txt"
mkdir -p "$root/docs" "$work/config"

# The window manager, and its first turn: it has taken the screen once the
# root window names it.
XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8
(cd "$work" &&
  SNPLN_SCREENSHOT="$root/docs/main-window.png" \
  SNPLN_ICON_DIR="$root/ui/packaging" \
    "$snpln" note.txt)
echo "wrote docs/main-window.png, ui/packaging/snpln-{16,32,48,64,128,256}.png and ui/packaging/snpln.svg"
if [[ -x "$pictures" ]]; then
  (cd "$work" && "$pictures" note.txt "$root/docs" garbled.txt)
  echo "wrote docs/{prompt,options,progress,preview,save-refused,main-window-ru}.png," \
    "docs/main-window-{dark,maximized}{,-ru}.png," \
    "docs/{main-window-repair,preview-repair}{,-ru}.png" \
    "and docs/run-{waiting,canceled,totals}{,-ru}.png"
else
  echo "no $pictures: the other pictures need the benchmark build (make bench)" >&2
fi
