# Sourced by the Windows build's scripts: the wine every one of them uses.
# A prefix of the build's own (made on first use, about 700 MB), no debug
# lines in the programs' error streams, UTF-8 arguments, no prompt for the
# .NET or HTML runtimes.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/windows-wine}"
export WINEDEBUG=-all
export LANG=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

# Starts the prefix's wine server and its services with their streams on
# /dev/null, so that no service keeps a pipe of ctest's or the caller's
# open (which would make them wait for ever).
start_wine() {
  mkdir -p "$WINEPREFIX"
  # (A server already running for the prefix makes this one step fail.)
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine wineboot --init >/dev/null 2>&1 </dev/null
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}
