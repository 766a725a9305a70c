#!/usr/bin/env bash
# What `make run` starts, from a built tree:
#
#   tools/run.sh BUILD_DIR [NAME...]
#
# With a display, the window, with the names chosen. Without one, snpln-cli:
# on the names given, or else a short tour on copies of the bundled samples
# (samples/tour.sh). HEADLESS_WINDOW=1 starts the window under Xvfb instead,
# where nobody sees it; it runs until it is closed or killed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "$1")
shift
window=$build/ui/snpln
cli=$build/cli/snpln-cli

# A display is an X or Wayland one, or a Qt platform that draws somewhere
# a user can see (offscreen and minimal draw nowhere).
has_display() {
  [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]] && return 0
  case "${QT_QPA_PLATFORM:-}" in
  "" | offscreen* | minimal* | xcb* | wayland*) return 1 ;;
  esac
  return 0
}

if [[ -x "$window" ]] && has_display; then
  exec "$window" "$@"
fi
if [[ -x "$window" && -n "${HEADLESS_WINDOW:-}" && "${HEADLESS_WINDOW}" != 0 ]]; then
  echo "No display: starting the window under Xvfb (nobody can see it; Ctrl-C ends it)."
  exec xvfb-run -a "$window" "$@"
fi
if [[ $# -gt 0 ]]; then
  exec "$cli" "$@"
fi
if [[ ! -x "$window" ]]; then
  echo "(The window was not built; this is the command line.)"
fi
exec bash "$root/samples/tour.sh" "$cli"
