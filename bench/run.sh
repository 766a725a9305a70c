#!/usr/bin/env bash
# Times snpln-cli against a peer command and against a plain safe copy (the
# floor for 8 KB slices written to disk), on fresh copies of one large
# Russian text file; then the progress window (offscreen) against snpln-cli
# on the same recode, and how fast it honours CANCEL; the preview opening a
# 100 MB file; the window over a tree of 5000 small files against
# snpln-cli; snpln-cli over a tree of 5000 small files against find, xargs
# and sed -i. Ends with one table of every ratio, its goal and whether it is
# met. TREE_FILES and TREE_RUNS size the window's tree benchmark,
# TREE_ROW_FILES and TREE_ROW_RUNS (at least 5) the command line's.
#
#   bench/run.sh            # 5 runs per command, 128 MiB file
#   RUNS=9 SIZE_MB=1024 bench/run.sh
#   ONLY="tree" bench/run.sh           # some parts only: files progress
#                                      # preview window tree chain sixops
#                                      # detectone detection english web
#   BASE=main bench/run.sh             # also a previous commit's snpln-cli,
#                                      # built beside (build/bench-base), in
#                                      # the tree row
#   ONLY=files CASES="upper replace" bench/run.sh  # some rows of the
#                                      # files part only
#
# Every figure is checked before it is printed: a command that ends with a
# status other than 0, or (where snpln and its peer do the same rewrite) a
# pair that leaves different bytes, makes its row INVALID instead of a
# ratio, and the table says so.
#
# Then the detection accuracy tables (ours, enca, uchardet) on excerpts of
# real prose and on the harder cases (forms, UTF-8 with stray bytes,
# Russian after a long English head), and what detection costs on 100 MiB
# of English, which it reads to the end.
#
# Every timed command works on $F, a fresh copy of the source file made
# (untimed, then synced) just before it runs, and may use $T as a temporary
# name beside it. The working directory is the file's directory, so the
# job's temporary file lies on the same filesystem.
set -euo pipefail

RUNS=${RUNS:-5}
SIZE_MB=${SIZE_MB:-128}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build/bench}
[[ $BUILD == /* ]] || BUILD=$PWD/$BUILD
CLI=$BUILD/cli/snpln-cli
TIME=/usr/bin/time

if [[ ! -x $TIME ]]; then
  echo "installing GNU time" >&2
  apt-get install -y time >/dev/null || { apt-get update >/dev/null && apt-get install -y time >/dev/null; }
fi

PDB=$BUILD/bench/progress_window_bench

# The window benchmark needs Qt; without it the build goes on without the UI.
if [[ ${SKIP_BUILD:-0} != 1 ]]; then
  common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DSNPLN_BUILD_TESTS=OFF -DSNPLN_BUILD_BENCH=ON)
  if cmake -S "$ROOT" -B "$BUILD" "${common[@]}" -DSNPLN_BUILD_UI=ON >/dev/null 2>&1; then
    cmake --build "$BUILD" --target snpln-cli progress_window_bench preview_bench window_tree_bench repair_bench
  else
    echo "no Qt: the progress window benchmark will be skipped" >&2
    cmake -S "$ROOT" -B "$BUILD" "${common[@]}" -DSNPLN_BUILD_UI=OFF >/dev/null
    cmake --build "$BUILD" --target snpln-cli repair_bench
  fi
fi
if [[ ! -x $CLI ]]; then
  echo "no $CLI: snpln cases will be skipped" >&2
fi

# BASE: the snpln-cli of that commit, from its own sources, built beside
# ours (Release, no window, no tests).
BASE=${BASE:-}
BASE_CLI=
if [[ -n $BASE ]]; then
  BASE_BUILD=${BASE_BUILD:-$ROOT/build/bench-base}
  BASE_SRC=$BASE_BUILD-src
  rm -rf "$BASE_SRC" && mkdir -p "$BASE_SRC"
  git -C "$ROOT" archive "$BASE" | tar -x -C "$BASE_SRC"
  cmake -S "$BASE_SRC" -B "$BASE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSNPLN_BUILD_TESTS=OFF -DSNPLN_BUILD_UI=OFF >/dev/null
  cmake --build "$BASE_BUILD" --target snpln-cli >/dev/null
  BASE_CLI=$BASE_BUILD/cli/snpln-cli
  echo "BASE $BASE ($(git -C "$ROOT" rev-parse --short "$BASE")): $BASE_CLI"
fi

# want PART: whether ONLY (blank-separated parts) leaves PART in.
want() { [[ -z ${ONLY:-} || " $ONLY " == *" $1 "* ]]; }
# want_case NAME: whether CASES (blank-separated rows of the files part)
# leaves the row NAME in.
want_case() { [[ -z ${CASES:-} || " $CASES " == *" $1 "* ]]; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/snpln-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
DOS_SOURCE=$WORK/dos.txt
WIN_SOURCE=$WORK/win.txt
SOURCE=$DOS_SOURCE
F=$WORK/f.txt
T=$WORK/t.txt
export F T CLI
cd "$WORK"

if want files || want progress; then
  echo "making a ${SIZE_MB} MiB Dos text file"
  python3 "$ROOT/bench/make_text.py" --code dos --size "$SIZE_MB" "$DOS_SOURCE"
  SIZE=$(stat -c %s "$SOURCE")
fi

# fresh_copy: $F becomes a copy of the source, on disk, with no leftovers.
fresh_copy() {
  rm -f "$F" "$T" "$WORK/~sn\$ln~.tmp"
  cp "$SOURCE" "$F"
  sync "$F"
}

# time_once CMD [RSSFILE]: seconds taken by CMD on a fresh copy. With
# RSSFILE, the command runs under GNU time and its peak RSS (KiB) goes there.
# A status other than 0 is noted in $FAILED (the command and its status):
# its time counts for nothing.
FAILED=$WORK/failed
time_once() {
  local cmd=$1 rss=${2:-} start end status=0
  fresh_copy
  start=$(date +%s.%N)
  if [[ -n $rss ]]; then
    eval "$TIME -f %M -o \"$rss\" $cmd" >/dev/null 2>"$WORK/stderr" || status=$?
  else
    eval "$cmd" >/dev/null 2>"$WORK/stderr" || status=$?
  fi
  end=$(date +%s.%N)
  if ((status != 0)); then
    printf 'status %s: %s\n%s\n' "$status" "$cmd" "$(head -c 300 "$WORK/stderr")" >>"$FAILED"
  fi
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

ratio() {
  if [[ $1 == INVALID || $2 == INVALID ]]; then
    echo INVALID
    return
  fi
  awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'
}

# goal NAME VALUE LIMIT: one row of the final table; met when VALUE <= LIMIT
# (LIMIT "-": no goal).
SUMMARY=()
goal() {
  local met
  if [[ $3 == - ]]; then # timed for the record, no goal
    SUMMARY+=("$(printf '%-30s %9s %9s   %s' "$1" "$2" "-" "-")")
    return 0
  fi
  met=$(awk -v v="$2" -v g="$3" 'BEGIN { if (v == "INVALID") print "INVALID"; else if (v == "-" || v == "") print "?"; else print (v + 0 <= g + 0) ? "yes" : "NO" }')
  SUMMARY+=("$(printf '%-30s %9s %9s   %s' "$1" "$2" "<= $3" "$met")")
}

if want files; then
echo "file: $SIZE bytes, $RUNS runs per command, medians in seconds"
DD_CMD='dd if="$F" of="$T" bs=8192 conv=fsync status=none'

# small_source CODE FILE: a 1 MiB text like the large one, for the memory
# a run takes whatever the file's size.
small_source() {
  python3 "$ROOT/bench/make_text.py" --code "$1" --size 1 "$2"
}
SMALL=$WORK/small-dos.txt
small_source dos "$SMALL"

# run_into NAME CMD [RSSFILE]: one run of CMD on a fresh copy, its seconds
# appended to $WORK/times.NAME and a failure to $WORK/failed.NAME.
run_into() {
  rm -f "$FAILED"
  time_once "$2" "${3:-}" >>"$WORK/times.$1"
  if [[ -s $FAILED ]]; then cat "$FAILED" >>"$WORK/failed.$1"; fi
  return 0
}
# median_into NAME: the median of $WORK/times.NAME, or INVALID (with the
# failures printed) when a run failed.
median_into() {
  if [[ -s $WORK/failed.$1 ]]; then
    sed 's/^/  FAILED /' "$WORK/failed.$1" >&2
    echo INVALID
    return
  fi
  sort -n "$WORK/times.$1" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

# bench_case NAME "snpln command" "peer command" PEER PEER_GOAL DD_GOAL SAME:
# times dd, the peer and snpln in RUNS interleaved triples on fresh copies
# (so a change in the machine's load meets all three alike), prints the
# medians, snpln/peer and snpln/dd, snpln's peak RSS
# on the large file and on a 1 MiB one ($SMALL), and whether the two left
# the same bytes in $F; the ratios and the growth of the peak RSS go to the
# table with their goals. SAME "must": the two do the same rewrite, and
# different bytes make the row INVALID; "may": they need not.
bench_case() {
  local name=$1 mine=$2 peer=$3 mine_t peer_t rss=$WORK/rss small_rss=$WORK/rss-small
  want_case "$name" || return 0
  rm -f "$WORK"/times.* "$WORK"/failed.*
  for ((i = 0; i < RUNS; i++)); do
    run_into dd "$DD_CMD"
    run_into peer "$peer"
    cp "$F" "$WORK/last.peer"
    if [[ -x $CLI ]]; then
      run_into mine "$mine" "$rss"
      cp "$F" "$WORK/last.mine"
    fi
  done
  DD=$(median_into dd)
  peer_t=$(median_into peer)
  if [[ ! -x $CLI ]]; then
    printf '%-14s snpln: (not built)  peer %s  dd %s\n' "$name" "$peer_t" "$DD"
    return
  fi
  mine_t=$(median_into mine)
  local same=no
  if cmp -s "$WORK/last.mine" "$WORK/last.peer"; then same=yes; fi
  if [[ $7 == must && $same != yes ]]; then
    echo "  $name: snpln and $4 left different bytes" >&2
    mine_t=INVALID
  fi
  # The peak memory on a 1 MiB file of the same kind.
  local large_source=$SOURCE small_t
  SOURCE=$SMALL
  rm -f "$FAILED"
  small_t=$(time_once "$mine" "$small_rss")
  [[ -s $FAILED ]] && mine_t=INVALID
  SOURCE=$large_source
  local vs_peer vs_dd growth=INVALID
  vs_peer=$(ratio "$mine_t" "$peer_t")
  vs_dd=$(ratio "$mine_t" "$DD")
  if [[ $mine_t != INVALID ]]; then
    growth=$(awk -v a="$(tail -n1 "$rss")" -v b="$(tail -n1 "$small_rss")" 'BEGIN { printf "%.1f", (a - b) / 1024 }')
  fi
  printf '%-14s snpln %8s  peer %8s  dd %8s  snpln/peer %7s  snpln/dd %7s  peak RSS %s KiB (1 MiB: %s KiB)  same output: %s\n' \
    "$name" "$mine_t" "$peer_t" "$DD" "$vs_peer" "$vs_dd" "$(tail -n1 "$rss" 2>/dev/null || echo -)" \
    "$(tail -n1 "$small_rss" 2>/dev/null || echo -)" "$same"
  goal "$name / $4" "$vs_peer" "$5"
  goal "$name / dd" "$vs_dd" "$6"
  goal "$name: RSS - RSS(1 MiB), MiB" "$growth" 8
}

bench_case "dos->win" '"$CLI" --from dos --to win "$F"' \
  'iconv -f CP866 -t CP1251 "$F" > "$T" && sync "$T" && mv "$T" "$F"' \
  iconv 0.6 1.2 must
# The same with the source detected: detection reads the head, which the
# recoding then goes on from.
bench_case "auto->win" '"$CLI" --to win "$F"' \
  'iconv -f CP866 -t CP1251 "$F" > "$T" && sync "$T" && mv "$T" "$F"' \
  iconv 0.6 1.2 must

# The text operations, on a Windows-1251 text, each against the tool a user
# would pick instead, doing the same rewrite safely.
echo "making a ${SIZE_MB} MiB Win1251 text file"
python3 "$ROOT/bench/make_text.py" --code win --size "$SIZE_MB" "$WIN_SOURCE"
SOURCE=$WIN_SOURCE
SMALL=$WORK/small-win.txt
small_source win "$SMALL"
SAFE='> "$T" && sync "$T" && mv "$T" "$F"'
MIR=$(printf '\354\350\360') # "мир" in Windows-1251
export MIR
# Upper case of the Windows-1251 letters, ё among them (tr maps ё apart).
TR_UPPER="LC_ALL=C tr 'a-z\\340-\\377\\270' 'A-Z\\300-\\337\\250' < \"\$F\" $SAFE"
bench_case "upper" '"$CLI" --upper "$F"' "$TR_UPPER" tr 1.0 1.2 must
# Smart case has no peer of its own nor a goal against it: tr's plain upper
# case is the yardstick.
bench_case "smart" '"$CLI" --smart "$F"' "$TR_UPPER" tr - 1.2 may
# The word is given as bytes, as sed takes it.
bench_case "replace" '"$CLI" --bytes --replace "$MIR" --with MIR "$F"' \
  "LC_ALL=C sed \"s/\$MIR/MIR/g\" \"\$F\" $SAFE" sed 0.5 1.2 must
bench_case "optimize" '"$CLI" --optimize "$F"' \
  "LC_ALL=C unexpand -a \"\$F\" $SAFE" unexpand 0.5 1.2 may
bench_case "delete-empty" '"$CLI" --delete-empty "$F"' \
  "cat -s \"\$F\" $SAFE" "cat -s" 1.0 1.2 may
# Line ends of a text whose line ends are all CR LF, against dos2unix
# rewriting in place itself, flushed as ours: the same bytes.
bench_case "line-ends" '"$CLI" --line-ends lf "$F"' \
  'dos2unix -q "$F" && sync "$F"' dos2unix 0.5 1.2 must

# Old files made readable as UTF-8, and back: the Windows-1251 text and its
# UTF-8 form (made by iconv), each against iconv doing the same safely.
bench_case "win->utf8" '"$CLI" --from win --to utf8 "$F"' \
  "iconv -f CP1251 -t UTF-8 \"\$F\" $SAFE" iconv 0.6 1.2 must
UTF8_FROM_WIN=$WORK/utf8-from-win.txt
iconv -f CP1251 -t UTF-8 "$WIN_SOURCE" >"$UTF8_FROM_WIN"
iconv -f CP1251 -t UTF-8 "$SMALL" >"$WORK/small-utf8-from-win.txt"
SOURCE=$UTF8_FROM_WIN
SMALL=$WORK/small-utf8-from-win.txt
bench_case "utf8->win" '"$CLI" --from utf8 --to win "$F"' \
  "iconv -f UTF-8 -t CP1251 \"\$F\" $SAFE" iconv 0.6 1.2 must
rm -f "$UTF8_FROM_WIN"
SOURCE=$WIN_SOURCE

# Windows "Unicode" text (UTF-16LE after its byte order mark, made by iconv
# from half the Windows-1251 text, so SIZE_MB MiB) made UTF-8, the page
# detected by the mark, against iconv doing the same safely.
UTF16_SOURCE=$WORK/utf16.txt
head -c $((SIZE_MB * 512 * 1024)) "$WIN_SOURCE" | iconv -f CP1251 -t UTF-16 >"$UTF16_SOURCE"
head -c $((512 * 1024)) "$WORK/small-win.txt" | iconv -f CP1251 -t UTF-16 >"$WORK/small-utf16.txt"
SOURCE=$UTF16_SOURCE
SMALL=$WORK/small-utf16.txt
bench_case "utf16->utf8" '"$CLI" --to utf8 "$F"' \
  "iconv -f UTF-16 -t UTF-8 \"\$F\" $SAFE" iconv 1.0 1.2 must
rm -f "$UTF16_SOURCE"
SOURCE=$WIN_SOURCE
SMALL=$WORK/small-win.txt

# Upper case on a UTF-8 text: every Cyrillic letter is two bytes. The peer
# is sed's upper case in a UTF-8 locale (no goal against it, but the same
# bytes); the goal is against the plain safe copy.
echo "making a ${SIZE_MB} MiB UTF-8 text file"
UTF8_SOURCE=$WORK/utf8.txt
python3 "$ROOT/bench/make_text.py" --code utf8 --size "$SIZE_MB" "$UTF8_SOURCE"
SOURCE=$UTF8_SOURCE
SMALL=$WORK/small-utf8.txt
small_source utf8 "$SMALL"
bench_case "utf8 upper" '"$CLI" --upper "$F"' \
  "LC_ALL=C.UTF-8 sed 's/.*/\\U&/' \"\$F\" $SAFE" sed - 1.2 must
rm -f "$UTF8_SOURCE"

# The repair of garbled text, through the engine step (bench/repair_bench
# until the command line has the operation): a SIZE_MB MiB file of UTF-8
# read as Windows-1251 and saved as UTF-8 (made by iconv), against iconv
# undoing that one layer by hand (-f UTF-8 -t CP1251 gives the UTF-8 back):
# the same bytes. The text has no И, whose second byte 0x98 iconv's CP1251
# cannot read. Then a file of the same size whose every other line is so
# garbled, repaired line by line, which no peer does: its speed, at least
# 10 MB/s. Each with its peak memory against a 1 MiB file of its kind.
RB=$BUILD/bench/repair_bench
if want_case repair || want_case repair-lines; then
  echo "making a ${SIZE_MB} MiB garbled UTF-8 file"
  garbled_text() { # MIB OUT [lines]: about MIB MiB of garbled text
    python3 "$ROOT/bench/make_text.py" --code utf8 --size "$(((${1} * 10 + 17) / 18))" "$2.clean"
    sed -i 's/И/Й/g' "$2.clean"
    if [[ ${3:-} == lines ]]; then
      python3 - "$2.clean" "$2" <<'PY'
import sys
with open(sys.argv[1], "rb") as f, open(sys.argv[2], "wb") as out:
    for i, line in enumerate(f):
        out.write(line.decode("cp1251").encode("utf-8") if i % 2 else line)
PY
    else
      iconv -f CP1251 -t UTF-8 "$2.clean" >"$2"
    fi
    rm -f "$2.clean"
  }
  REPAIR_SOURCE=$WORK/garbled.txt
  garbled_text "$SIZE_MB" "$REPAIR_SOURCE"
  garbled_text 1 "$WORK/small-garbled.txt"
  SOURCE=$REPAIR_SOURCE
  SMALL=$WORK/small-garbled.txt
  if [[ -x $RB ]]; then
    bench_case "repair" '"$RB" "$F"' \
      "iconv -f UTF-8 -t CP1251 \"\$F\" $SAFE" iconv 1.5 - must
  else
    goal "repair / iconv" "-" 1.5
  fi
  rm -f "$REPAIR_SOURCE"
  if want_case repair-lines && [[ -x $RB ]]; then
    garbled_text "$SIZE_MB" "$REPAIR_SOURCE" lines
    garbled_text 1 "$WORK/small-garbled.txt" lines
    rm -f "$WORK"/times.* "$WORK"/failed.*
    for ((i = 0; i < RUNS; i++)); do
      run_into lines '"$RB" "$F"' "$WORK/rss"
    done
    rm -f "$FAILED"
    SOURCE=$WORK/small-garbled.txt
    time_once '"$RB" "$F"' "$WORK/rss-small" >/dev/null
    SOURCE=$REPAIR_SOURCE
    lines_t=$(median_into lines)
    [[ -s $FAILED ]] && lines_t=INVALID
    lines_size=$(stat -c %s "$REPAIR_SOURCE")
    mbs=INVALID growth=INVALID per10=INVALID
    if [[ $lines_t != INVALID ]]; then
      mbs=$(awk -v s="$lines_size" -v t="$lines_t" 'BEGIN { printf "%.1f", s / 1e6 / t }')
      # The time against the time 10 MB/s would take.
      per10=$(awk -v s="$lines_size" -v t="$lines_t" 'BEGIN { printf "%.2f", t / (s / 1e7) }')
      growth=$(awk -v a="$(tail -n1 "$WORK/rss")" -v b="$(tail -n1 "$WORK/rss-small")" 'BEGIN { printf "%.1f", (a - b) / 1024 }')
    fi
    printf '%-14s snpln %8s  %s MB/s  peak RSS %s KiB (1 MiB: %s KiB)\n' "repair-lines" \
      "$lines_t" "$mbs" "$(tail -n1 "$WORK/rss")" "$(tail -n1 "$WORK/rss-small")"
    goal "repair-lines: s / s at 10 MB/s" "$per10" 1.0
    goal "repair-lines: RSS - RSS(1 MiB), MiB" "$growth" 8
    rm -f "$REPAIR_SOURCE"
  fi
  SOURCE=$WIN_SOURCE
  SMALL=$WORK/small-win.txt
fi
fi # want files

# The main window, offscreen, recoding the Dos file: its run against
# snpln-cli's (interleaved, fresh copies), then CANCEL pressed in its
# progress window when the file is 10 %, 50 % and 90 % done (and Esc at
# 50 %), each press timed to the run's end; the file must be unchanged and
# no temporary file left.
progress_window() {
  if [[ ! -x $PDB || ! -x $CLI ]]; then
    echo "no $PDB: progress window skipped"
    goal "progress window / cli" "-" 1.5
    goal "CANCEL latency ms (max)" "-" 50
    return
  fi
  export QT_QPA_PLATFORM=offscreen
  SOURCE=$DOS_SOURCE
  local cli_times=() win_times=() out
  for ((i = 0; i < RUNS; i++)); do
    cli_times+=("$(time_once '"$CLI" --from dos --to win "$F"')")
    fresh_copy
    out=$("$PDB" run "$F" 2>/dev/null)
    win_times+=("$(awk '{ print $2 }' <<<"$out")")
  done
  local cli_t win_t
  cli_t=$(printf '%s\n' "${cli_times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  win_t=$(printf '%s\n' "${win_times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  printf '%-14s window %8s  cli %8s  window/cli %5s\n' "progress" "$win_t" "$cli_t" "$(ratio "$win_t" "$cli_t")"
  goal "progress window / cli" "$(ratio "$win_t" "$cli_t")" 1.5

  local worst=0 failures=0 point pct how line latency
  for point in 10:button 50:button 90:button 50:esc; do
    pct=${point%%:*} how=${point##*:}
    local lat=()
    for ((i = 0; i < RUNS; i++)); do
      fresh_copy
      line=$("$PDB" cancel "$F" "$pct" "$how" 2>/dev/null || true)
      latency=$(awk '{ print $2 }' <<<"$line")
      if ! grep -q 'result 4 unchanged yes temp_left no' <<<"$line" || [[ -e "$WORK/~sn\$ln~.tmp" ]]; then
        failures=$((failures + 1))
        echo "  cancel at $pct % ($how): $line"
      fi
      lat+=("$latency")
      worst=$(awk -v a="$worst" -v b="$latency" 'BEGIN { print (b > a) ? b : a }')
    done
    printf '  CANCEL (%-6s) at %2s %%: latency ms median %s, max %s\n' "$how" "$pct" \
      "$(printf '%s\n' "${lat[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')" \
      "$(printf '%s\n' "${lat[@]}" | sort -n | tail -1)"
  done
  goal "CANCEL latency ms (max)" "$worst" 50
  goal "CANCEL: file changed / temp left" "$failures" 0
}
want progress && progress_window

# The preview opening a 100 MB file (its view takes the first 32 MiB),
# offscreen: the time from run() to the end of the text's first paint and
# the process's peak memory, medians and worst over RUNS opens; then Edit:
# the time until the editor holds the 32 MiB and the longest the window
# went without a turn of its event loop meanwhile (it used to freeze for
# the whole load).
PVB=$BUILD/bench/preview_bench
preview_open() {
  if [[ ! -x $PVB ]]; then
    echo "no $PVB: preview skipped"
    goal "preview open s (100 MB)" "-" 1.0
    goal "preview peak RSS MiB" "-" 200
    goal "preview edit longest turn ms" "-" 100
    return
  fi
  local big=$WORK/preview.txt times=() peak=0 line edit_s=- turn_ms=-
  python3 "$ROOT/bench/make_text.py" --code win --size 100 "$big"
  for ((i = 0; i < RUNS; i++)); do
    line=$(QT_QPA_PLATFORM=offscreen "$PVB" "$big" 2>/dev/null)
    times+=("$(awk '{ print $2 }' <<<"$line")")
    peak=$(awk -v a="$peak" -v b="$(awk '{ print $4 }' <<<"$line")" 'BEGIN { print (b > a) ? b : a }')
  done
  line=$(QT_QPA_PLATFORM=offscreen "$PVB" "$big" --edit 2>/dev/null)
  edit_s=$(awk '{ print $8 }' <<<"$line")
  turn_ms=$(awk '{ print $10 }' <<<"$line")
  rm -f "$big"
  local median worst
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  worst=$(printf '%s\n' "${times[@]}" | sort -n | tail -1)
  printf '%-14s open s median %s, worst %s  peak RSS %s KiB\n' "preview" "$median" "$worst" "$peak"
  goal "preview open s (100 MB)" "$worst" 1.0
  goal "preview peak RSS MiB" "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" 200
  printf '%-14s edit s %s, longest turn %s ms\n' "preview" "${edit_s:--}" "${turn_ms:--}"
  goal "preview edit s (32 MiB)" "${edit_s:--}" -
  goal "preview edit longest turn ms" "${turn_ms:--}" 100
}
want preview && preview_open

# The window over a tree of TREE_FILES small files (0.5 to 3 KB): UPPER and
# DO IT! offscreen against snpln-cli --upper on a fresh copy of the same
# tree, both with -j TREE_JOBS (default: the cores), taking turns at going
# first, medians over TREE_RUNS (default 6); and how many progress windows
# the window showed (a tree of small files should flash none). Both must end with status 0 and leave
# the same tree; the load average at the start is printed with the figure.
WTB=$BUILD/bench/window_tree_bench
window_tree() {
  local files=${TREE_FILES:-5000} runs=${TREE_RUNS:-6} jobs=${TREE_JOBS:-$(nproc)}
  if [[ ! -x $WTB || ! -x $CLI ]]; then
    echo "no $WTB: window over a tree skipped"
    goal "window tree / cli" "-" 1.1
    return
  fi
  local tree=$WORK/tree copy=$WORK/tree-copy cli_times=() win_times=() pair_ratios=() line windows=0 start end valid=1 load
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  python3 "$ROOT/bench/make_tree.py" --files "$files" "$tree"
  # One side on a fresh synced copy, its result kept as $WORK/tree-SIDE.
  # Each side first deletes its own last result (ext4 scans recently freed
  # inodes when it makes a file, so a side run just after a deletion the
  # other did not make would pay for it alone), and the sides take turns
  # at going first (the file system's state drifts over a run).
  tree_side() {
    rm -rf "$copy" "$WORK/tree-$1" && cp -r "$tree" "$copy" && sync
    if [[ $1 == cli ]]; then
      start=$(date +%s.%N)
      "$CLI" -j "$jobs" --upper "$copy" >/dev/null || valid=0
      end=$(date +%s.%N)
      cli_times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
    else
      line=$(cd "$WORK" && XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen "$WTB" -j "$jobs" "$copy" 2>/dev/null) || valid=0
      win_times+=("$(awk '{ print $2 }' <<<"$line")")
      windows=$(awk '{ print $4 }' <<<"$line")
    fi
    mv "$copy" "$WORK/tree-$1"
  }
  for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 0)); then
      tree_side cli
      tree_side window
    else
      tree_side window
      tree_side cli
    fi
    diff -r "$WORK/tree-cli" "$WORK/tree-window" >/dev/null || valid=0
    pair_ratios+=("$(ratio "${win_times[-1]}" "${cli_times[-1]}")")
  done
  rm -rf "$tree" "$copy" "$WORK/tree-cli" "$WORK/tree-window"
  # The goal takes the median of the pairs' ratios: the file system's
  # drift over a run moves both sides of a pair alike, not the medians of
  # the two sides' times, which are printed too.
  local cli_t win_t r pairs
  cli_t=$(printf '%s\n' "${cli_times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  win_t=$(printf '%s\n' "${win_times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  r=$(printf '%s\n' "${pair_ratios[@]}" | sort -n | awk '{ t[NR] = $1 } END { if (NR % 2) print t[(NR + 1) / 2]; else printf "%.2f\n", (t[NR / 2] + t[NR / 2 + 1]) / 2 }')
  pairs=$(IFS=' '; echo "${pair_ratios[*]}")
  ((valid)) || r=INVALID
  printf '%-14s %s files, -j %s: window %8s  cli %8s  window/cli %5s (pairs: %s)  progress windows shown %s  load %s\n' \
    "tree" "$files" "$jobs" "$win_t" "$cli_t" "$r" "$pairs" "$windows" "$load"
  goal "window tree / cli" "$r" 1.1
}
want window && window_tree

# snpln-cli over a tree of TREE_ROW_FILES small files (0.5 to 3 KB, as for
# the window) against `find ... -print0 | xargs -0 sed -i ... && sync` (sed
# -i saves by renaming too, but flushes nothing; snpln flushes every file
# and its directory): one replacement of a word, on a fresh copy of the
# tree for every run (made and synced untimed), in interleaved pairs (with
# BASE, triples: that commit's snpln-cli too), medians over TREE_ROW_RUNS
# (at least 5). The two tools must leave the same bytes.
tree_row() {
  local files=${TREE_ROW_FILES:-5000} runs=${TREE_ROW_RUNS:-5}
  ((runs < 5)) && runs=5
  if [[ ! -x $CLI ]]; then
    goal "tree / sed" "-" 0.8
    return
  fi
  local tree=$WORK/row-tree copy=$WORK/row-copy kept=$WORK/row-sed
  python3 "$ROOT/bench/make_tree.py" --files "$files" "$tree"
  export COPY=$copy WORD
  WORD=$(printf '\343\356\360\356\344') # a word of the tree, in Windows-1251
  local sed_cmd='find "$COPY" -type f -name "*.txt" -print0 | LC_ALL=C xargs -0 sed -i "s/$WORD/GOROD/g" && sync'
  local mine_cmd='"$CLI" -q --bytes --replace "$WORD" --with GOROD "$COPY"'
  local base_cmd='"$BASE_CLI" -q --bytes --replace "$WORD" --with GOROD "$COPY"'
  export BASE_CLI
  local sed_times=() mine_times=() base_times=() same=yes
  rm -f "$FAILED"
  row_once() { # CMD: seconds on a fresh copy of the tree
    local start end status=0
    rm -rf "$COPY" && cp -r "$tree" "$COPY" && sync
    start=$(date +%s.%N)
    eval "$1" >/dev/null || status=$?
    end=$(date +%s.%N)
    ((status == 0)) || printf 'status %s: %s\n' "$status" "$1" >>"$FAILED"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
  }
  for ((i = 0; i < runs; i++)); do
    sed_times+=("$(row_once "$sed_cmd")")
    rm -rf "$kept" && cp -r "$COPY" "$kept"
    mine_times+=("$(row_once "$mine_cmd")")
    diff -r -q "$kept" "$COPY" >/dev/null || same=no
    if [[ -n $BASE_CLI ]]; then
      base_times+=("$(row_once "$base_cmd")")
      diff -r -q "$kept" "$COPY" >/dev/null || same=no
    fi
  done
  rm -rf "$tree" "$copy" "$kept"
  local sed_t mine_t base_t vs_sed
  median() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
  sed_t=$(median "${sed_times[@]}")
  mine_t=$(median "${mine_times[@]}")
  if [[ -s $FAILED || $same != yes ]]; then
    [[ -s $FAILED ]] && sed 's/^/  FAILED /' "$FAILED" >&2
    mine_t=INVALID
  fi
  vs_sed=$(ratio "$mine_t" "$sed_t")
  printf '%-14s %s files: snpln %8s  find|xargs sed -i && sync %8s  snpln/sed %5s  same output: %s\n' \
    "tree" "$files" "$mine_t" "$sed_t" "$vs_sed" "$same"
  goal "tree / sed" "$vs_sed" 0.8
  if [[ -n $BASE_CLI ]]; then
    base_t=$(median "${base_times[@]}")
    printf '%-14s BASE %s: snpln %8s  snpln/sed %5s  this/BASE %5s\n' \
      "tree" "$BASE" "$base_t" "$(ratio "$base_t" "$sed_t")" "$(ratio "$mine_t" "$base_t")"
    goal "tree / sed: this / BASE" "$(ratio "$mine_t" "$base_t")" 1.1
  fi
}
want tree && tree_row

# A file's operations in one pass: snpln-cli over the tree of
# TREE_ROW_FILES small files with --upper -t utf8 --optimize against the same
# tree with --upper alone, on fresh copies, the two taking turns at going
# first; the goal takes the median of the pairs' ratios (TREE_ROW_RUNS, at
# least 5). The three operations must leave what the three run one after
# another leave. Then the flushes of a run, counted by strace over a tree
# of 500 files: at most one data flush (fsync or fdatasync of a file) per
# changed file, none when the run is repeated over its result (nothing
# changes), no syncfs ever; the directory flushes are printed.
chain_tree() {
  local files=${TREE_ROW_FILES:-5000} runs=${TREE_ROW_RUNS:-5}
  ((runs < 5)) && runs=5
  if [[ ! -x $CLI ]]; then
    goal "tree: upper+utf8+opt / upper" "-" 1.15
    return
  fi
  local tree=$WORK/chain-tree copy=$WORK/chain-copy failed=$WORK/chain-failed
  python3 "$ROOT/bench/make_tree.py" --files "$files" "$tree"
  rm -f "$failed"
  chain_once() { # ARGS...: seconds of snpln-cli ARGS over a fresh copy
    rm -rf "$copy" && cp -r "$tree" "$copy" && sync
    local start end
    start=$(date +%s.%N)
    "$CLI" -q "$@" "$copy" >/dev/null || echo "status $?: $*" >>"$failed"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
  }
  local one=() three=() ratios=() a b
  for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 0)); then
      a=$(chain_once --upper)
      b=$(chain_once --upper -t utf8 --optimize)
    else
      b=$(chain_once --upper -t utf8 --optimize)
      a=$(chain_once --upper)
    fi
    one+=("$a")
    three+=("$b")
    ratios+=("$(ratio "$b" "$a")")
  done
  # What the three leave, against the three one after another.
  chain_once --upper -t utf8 --optimize >/dev/null
  rm -rf "$WORK/chain-kept" && mv "$copy" "$WORK/chain-kept"
  rm -rf "$copy" && cp -r "$tree" "$copy"
  local same=yes
  for op in --upper "-t utf8" --optimize; do
    # shellcheck disable=SC2086
    "$CLI" -q $op "$copy" >/dev/null || echo "status $?: $op" >>"$failed"
  done
  diff -r -q "$WORK/chain-kept" "$copy" >/dev/null || same=no
  local one_t three_t r
  median() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
  one_t=$(median "${one[@]}")
  three_t=$(median "${three[@]}")
  r=$(median "${ratios[@]}")
  if [[ -s $failed || $same != yes ]]; then
    [[ -s $failed ]] && sed 's/^/  FAILED /' "$failed" >&2
    r=INVALID
  fi
  printf '%-14s %s files: --upper -t utf8 --optimize %8s  --upper %8s  ratio %5s (pairs: %s)  as one by one: %s\n' \
    "tree chain" "$files" "$three_t" "$one_t" "$r" "$(IFS=' '; echo "${ratios[*]}")" "$same"
  goal "tree: upper+utf8+opt / upper" "$r" 1.15

  # The flushes, counted.
  local sync_tree=$WORK/sync-tree log=$WORK/strace.log sync_files=500
  rm -rf "$sync_tree" "$WORK/chain-kept" "$copy"
  python3 "$ROOT/bench/make_tree.py" --files "$sync_files" "$sync_tree"
  rm -rf "$tree"
  count_flushes() { # prints: data directory syncfs
    local data=0 dirs=0 syncfs=0 line path
    while IFS= read -r line; do
      case $line in
      *syncfs\(*) syncfs=$((syncfs + 1)) ;;
      *fsync\(* | *fdatasync\(*)
        path=${line#*<}
        path=${path%%>*}
        if [[ -d $path ]]; then dirs=$((dirs + 1)); else data=$((data + 1)); fi
        ;;
      esac
    done <"$log"
    echo "$data $dirs $syncfs"
  }
  local changed unchanged
  strace -f -qq -y -e trace=fsync,fdatasync,syncfs -o "$log" \
    "$CLI" -q --upper -t utf8 --optimize "$sync_tree" >/dev/null
  changed=$(count_flushes)
  strace -f -qq -y -e trace=fsync,fdatasync,syncfs -o "$log" \
    "$CLI" -q --upper -t utf8 --optimize "$sync_tree" >/dev/null
  unchanged=$(count_flushes)
  rm -rf "$sync_tree"
  local data dirs syncfs data2 dirs2 syncfs2
  read -r data dirs syncfs <<<"$changed"
  read -r data2 dirs2 syncfs2 <<<"$unchanged"
  printf '%-14s %s files changed: data flushes %s, directory flushes %s, syncfs %s; unchanged: data %s, directory %s, syncfs %s\n' \
    "flushes" "$sync_files" "$data" "$dirs" "$syncfs" "$data2" "$dirs2" "$syncfs2"
  goal "data flushes per changed file" "$(awk -v d="$data" -v f="$sync_files" 'BEGIN { printf "%.2f", d / f }')" 1
  goal "data flushes, unchanged files" "$data2" 0
  goal "syncfs calls" "$((syncfs + syncfs2))" 0
}
want chain && chain_tree

# The six operations of one file in one pass against the slowest of them
# alone, on a SIZE_MB MiB Windows-1251 text: each command on fresh copies,
# in interleaved rounds, medians; the six together must leave what the six
# one after another leave; and their peak memory against the largest of
# the six alone.
six_operations() {
  if [[ ! -x $CLI ]]; then
    goal "six operations / slowest alone" "-" 1.5
    return
  fi
  echo "making a ${SIZE_MB} MiB Win1251 text file"
  local text=$WORK/six.txt saved_source=$SOURCE
  python3 "$ROOT/bench/make_text.py" --code win --size "$SIZE_MB" "$text"
  SOURCE=$text
  local ops=("--upper" "-t utf8" "--line-ends crlf" "--replace мир --with МИР"
    "--optimize" "--delete-empty")
  local all="--upper -t utf8 --line-ends crlf --replace мир --with МИР --optimize --delete-empty"
  local cmds=("${ops[@]}" "$all") k
  rm -f "$WORK"/times.six.* "$WORK"/rss.six.* "$WORK"/failed.six.*
  for ((i = 0; i < RUNS; i++)); do
    for k in "${!cmds[@]}"; do
      rm -f "$FAILED"
      time_once "env LC_ALL=C.UTF-8 \"\$CLI\" ${cmds[$k]} \"\$F\"" "$WORK/rss" >>"$WORK/times.six.$k"
      [[ -s $FAILED ]] && cat "$FAILED" >>"$WORK/failed.six.$k"
      tail -n1 "$WORK/rss" >>"$WORK/rss.six.$k"
    done
  done
  cp "$F" "$WORK/six-all"
  # The six one after another.
  fresh_copy
  for k in "${!ops[@]}"; do
    eval "LC_ALL=C.UTF-8 \"\$CLI\" -q ${ops[$k]} \"\$F\"" >/dev/null 2>&1 || echo "status $?: ${ops[$k]}" >>"$WORK/failed.six.6"
  done
  local same=no
  cmp -s "$F" "$WORK/six-all" && same=yes
  rm -f "$WORK/six-all"
  local slowest=0 slowest_op="" rss_one=0 t r all_t all_rss invalid=0
  for k in "${!ops[@]}"; do
    [[ -s $WORK/failed.six.$k ]] && invalid=1
    t=$(sort -n "$WORK/times.six.$k" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    r=$(sort -n "$WORK/rss.six.$k" | tail -1)
    printf '  alone %-26s %8s s  peak RSS %s KiB\n' "${ops[$k]}" "$t" "$r"
    if awk -v a="$t" -v b="$slowest" 'BEGIN { exit !(a > b) }'; then
      slowest=$t
      slowest_op=${ops[$k]}
    fi
    ((r > rss_one)) && rss_one=$r
  done
  [[ -s $WORK/failed.six.6 ]] && invalid=1
  all_t=$(sort -n "$WORK/times.six.6" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  all_rss=$(sort -n "$WORK/rss.six.6" | tail -1)
  r=$(ratio "$all_t" "$slowest")
  if ((invalid)) || [[ $same != yes ]]; then
    cat "$WORK"/failed.six.* 2>/dev/null | sed 's/^/  FAILED /' >&2
    r=INVALID
  fi
  printf '%-14s six together %8s s (slowest alone: %s, %s s)  ratio %5s  peak RSS %s KiB (largest alone %s KiB)  as one by one: %s\n' \
    "six ops" "$all_t" "$slowest_op" "$slowest" "$r" "$all_rss" "$rss_one" "$same"
  goal "six operations / slowest alone" "$r" 1.5
  goal "six ops: RSS - RSS(one op), MiB" "$(awk -v a="$all_rss" -v b="$rss_one" 'BEGIN { printf "%.1f", (a - b) / 1024 }')" 8
  # For the record: the operations after the recoding work on UTF-8 text
  # (twice the bytes, characters of two bytes): each of them alone on the
  # text's UTF-8 form, and the six together against the sum of the six
  # alone (the work the chain cannot leave out).
  local utf8=$WORK/six-utf8.txt sum=0
  iconv -f CP1251 -t UTF-8 "$text" >"$utf8"
  SOURCE=$utf8
  local later=("--upper" "--line-ends crlf" "--replace мир --with МИР" "--optimize" "--delete-empty")
  local slowest8=0 slowest8_op=""
  rm -f "$WORK"/times.six8.*
  for ((i = 0; i < RUNS; i++)); do
    for k in "${!later[@]}"; do
      time_once "env LC_ALL=C.UTF-8 \"\$CLI\" ${later[$k]} \"\$F\"" >>"$WORK/times.six8.$k"
    done
  done
  for k in "${!later[@]}"; do
    t=$(sort -n "$WORK/times.six8.$k" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    printf '  alone on UTF-8 %-18s %8s s\n' "${later[$k]}" "$t"
    if awk -v a="$t" -v b="$slowest8" 'BEGIN { exit !(a > b) }'; then
      slowest8=$t
      slowest8_op=${later[$k]}
    fi
  done
  for k in "${!ops[@]}"; do
    sum=$(awk -v a="$sum" -v b="$(sort -n "$WORK/times.six.$k" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')" 'BEGIN { print a + b }')
  done
  printf '%-14s six together / slowest alone on UTF-8 (%s, %s s) %5s; / the six alone one after another (%s s) %5s\n' \
    "six ops" "$slowest8_op" "$slowest8" "$(ratio "$all_t" "$slowest8")" "$sum" "$(ratio "$all_t" "$sum")"
  goal "six ops / slowest alone, UTF-8" "$(ratio "$all_t" "$slowest8")" -
  goal "six ops / six alone in turn" "$(ratio "$all_t" "$sum")" -
  SOURCE=$saved_source
  rm -f "$text" "$utf8"
}
want sixops && six_operations

# snpln-cli -d on one small file: no thread beyond the caller (strace
# counts the clones), and its CPU time (user + system, the kernel's count)
# against enca's on the same file, the median of DETECT_RUNS (at least
# 200) interleaved runs each.
detect_one() {
  if [[ ! -x $CLI ]] || ! command -v enca >/dev/null; then
    goal "-d one file: CPU / enca" "-" 1.1
    return
  fi
  local small=$WORK/one.txt runs=${DETECT_RUNS:-200} log=$WORK/clone.log
  ((runs < 200)) && runs=200
  printf '\360\322\311\327\305\324, \315\311\322! \353\301\313 \304\305\314\301?\n' >"$small"
  strace -f -qq -e trace=clone,clone3,vfork,fork -o "$log" "$CLI" -d "$small" >/dev/null
  local clones
  clones=$(grep -c -E 'clone|fork' "$log" || true)
  local out r
  out=$(python3 "$ROOT/bench/cpu_time.py" --runs "$runs" -- "$CLI" -d "$small" -- enca -L ru "$small") || out="ratio INVALID"
  r=$(awk '/^ratio/ { print $2 }' <<<"$out")
  printf '%-14s -d one file: threads started %s; CPU median snpln %s s, enca %s s  ratio %s (%s runs each)\n' \
    "detect one" "$clones" "$(sed -n 1p <<<"$out" | cut -d' ' -f1)" "$(sed -n 2p <<<"$out" | cut -d' ' -f1)" "$r" "$runs"
  goal "-d one file: threads" "$clones" 0
  goal "-d one file: CPU / enca" "$r" 1.1
}
want detectone && detect_one

# Detection accuracy on excerpts of real prose: ours against enca and
# uchardet (installed from the distribution when missing, like the Russian
# Debian FAQ that serves as prose besides the tests' own texts).
detection_table() {
  local pkg missing=()
  command -v enca >/dev/null || missing+=(enca)
  command -v uchardet >/dev/null || missing+=(uchardet)
  [[ -e /usr/share/doc/debian/FAQ/debian-faq.ru.txt.gz ]] || missing+=(debian-faq-ru)
  for pkg in "${missing[@]}"; do
    apt-get install -y "$pkg" >/dev/null 2>&1 ||
      { apt-get update >/dev/null 2>&1 && apt-get install -y "$pkg" >/dev/null 2>&1; } ||
      echo "could not install $pkg" >&2
  done
  if [[ ! -x $CLI ]]; then
    goal "detection, worst cell" "-" -
    return
  fi
  local out worst
  # Ukrainian prose: the tests' own, and the Ukrainian translations of the
  # programs installed (gettext catalogues), where there are any.
  local ukrainian=(--ukrainian "$ROOT/tests/data/ukrainian_prose.txt")
  for mo in /usr/share/locale/uk/LC_MESSAGES/*.mo; do
    [[ -e $mo ]] && ukrainian+=(--ukrainian "$mo")
  done
  out=$(python3 "$ROOT/bench/detect_accuracy.py" --cli "$CLI" --per "${DETECT_PER:-300}" \
    "${ukrainian[@]}" \
    /usr/share/doc/debian/FAQ/debian-faq.ru.txt.gz "$ROOT"/tests/data/russian_prose*.txt)
  echo "$out"
  worst=$(awk '/worst cell:/ { print $NF }' <<<"$out")
  # At least 19 in 20 right in every cell: the share wrong at most 0.05.
  goal "detection, worst cell wrong" "$(awk -v w="$worst" 'BEGIN { printf "%.3f", 1 - w }')" 0.05
  # At least 99 in 100 right in texts of 100 characters or more.
  worst=$(awk '/worst cell of 100 characters or more:/ { print $NF }' <<<"$out")
  goal "detection, >=100 chars wrong" "$(awk -v w="$worst" 'BEGIN { printf "%.3f", 1 - w }')" 0.01
  worst=$(awk '/worst harder cell:/ { print $NF }' <<<"$out")
  goal "detection, worst harder wrong" "$(awk -v w="$worst" 'BEGIN { printf "%.3f", 1 - w }')" 0.05
  # No peer ahead by more than a point in any cell.
  worst=$(awk '/most ahead of snpln/ { print $NF }' <<<"$out")
  goal "detection, a peer ahead by" "$worst" 0.01
}
want detection && detection_table

# What "english symbols only" costs: detection reads a file of English
# alone to its end. snpln-cli -d on 100 MiB of English (from the page
# cache) against cat reading it, and uchardet; and the peak memory, which
# must not grow with the file.
english_whole_file() {
  if [[ ! -x $CLI ]]; then
    goal "detect 100 MiB English / cat" "-" 3
    return
  fi
  local big=$WORK/english.txt rss=$WORK/rss mine=() floor=() peer=() line
  python3 - "$big" <<'PY'
import sys
line = b"The quick brown fox jumps over the lazy dog; 0123456789 and so on.\n"
size = 100 << 20
with open(sys.argv[1], "wb") as f:
    f.write((line * (size // len(line) + 1))[:size])
PY
  cat "$big" >/dev/null
  local peak=0
  for ((i = 0; i < RUNS; i++)); do
    "$TIME" -f '%e %M' -o "$rss" "$CLI" -d "$big" >/dev/null
    mine+=("$(awk '{ print $1 }' "$rss")")
    peak=$(awk -v a="$peak" '{ print ($2 > a) ? $2 : a }' "$rss")
    "$TIME" -f %e -o "$rss" cat "$big" >/dev/null
    floor+=("$(cat "$rss")")
    if command -v uchardet >/dev/null; then
      "$TIME" -f %e -o "$rss" uchardet "$big" >/dev/null
      peer+=("$(cat "$rss")")
    fi
  done
  line=$("$CLI" -d "$big")
  rm -f "$big"
  local m f p
  m=$(printf '%s\n' "${mine[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  f=$(printf '%s\n' "${floor[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  p=$(printf '%s\n' "${peer[@]:-}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  printf '%-14s snpln -d %6s  cat %6s  uchardet %6s  peak RSS %s KiB  (%s)\n' \
    "english 100M" "$m" "$f" "${p:--}" "$peak" "${line##*: }"
  # cat takes a few hundredths of a second: a floor of 0.01 s keeps the
  # ratio meaningful.
  goal "detect 100 MiB English / cat" "$(ratio "$m" "$(awk -v f="$f" 'BEGIN { print (f < 0.01) ? 0.01 : f }')")" 3
  goal "detect peak RSS MiB" "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" 16
}
want english && english_whole_file

# The page in headless Chromium beside snpln-cli (bench/web_bench.py): its
# files gzipped; recoding a WEB_MB (128) MiB Windows-1251 text to UTF-8
# with snpln.run(), from its call to its result (the bytes given and taken
# as arrays), against snpln-cli -t utf8 - <in >out, both on a tmpfs; the
# renderer's peak resident memory (the page and its worker are one
# process) above its idle with the input's bytes made, above its idle
# before them too (for the record), and above its idle for the page's own
# way (a File in, Blobs out). The page is built first (make web).
web_row() {
  if [[ ! -x $CLI ]] || ! make -C "$ROOT" web >"$WORK/web-build.log" 2>&1; then
    echo "no snpln-cli or no page (see make web): web skipped"
    goal "web: page kB gzipped" "-" 300
    goal "web: page / cli (128 MiB)" "-" 3
    goal "web: peak RSS / file" "-" 3
    return
  fi
  local shm out mb=${WEB_MB:-128}
  shm=$(mktemp -d /dev/shm/snpln-web.XXXXXX)
  python3 "$ROOT/bench/make_text.py" --code win --size "$mb" "$shm/win.txt"
  out=$(python3 "$ROOT/bench/web_bench.py" "$ROOT/build/web" "$CLI" "$shm/win.txt" "$RUNS" 2>/dev/null) || true
  rm -rf "$shm"
  echo "$out" | sed 's/^/  web /'
  local kb cli_t page_t blob_t idle given peak file same
  median() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
  kb=$(awk '/^size total/ { print $3 }' <<<"$out")
  cli_t=$(median $(awk '/^cli / { print $2 }' <<<"$out"))
  page_t=$(median $(awk '/^page / { print $2 }' <<<"$out"))
  blob_t=$(median $(awk '/^page-blob / { print $2 }' <<<"$out"))
  idle=$(awk '/^rss idle/ { print $3 }' <<<"$out")
  given=$(awk '/^rss input/ { print $3 }' <<<"$out")
  peak=$(awk '/^rss peak/ { print $3 }' <<<"$out")
  same=$(awk '/^same/ { print $2 }' <<<"$out")
  local blob_peak
  blob_peak=$(awk '/^rss blob-peak-over-idle/ { print $3 }' <<<"$out")
  file=$((mb * 1024))
  if [[ $same != yes ]]; then
    echo "  web: the page's result is not snpln-cli's (or a run failed)" >&2
    page_t=INVALID
  fi
  printf '%-14s page %8s  blobs %8s  cli %8s  page/cli %5s  peak over idle %s KiB\n' \
    "web ${mb}M" "$page_t" "$blob_t" "$cli_t" "$(ratio "$page_t" "$cli_t")" "$((peak - given))"
  goal "web: page kB gzipped" "${kb:--}" 300
  goal "web: page / cli (${mb} MiB)" "$(ratio "$page_t" "$cli_t")" 3
  goal "web: peak RSS / file" "$(ratio "$((peak - given))" "$file")" 3
  goal "web: peak RSS / file, input too" "$(ratio "$((peak - idle))" "$file")" -
  goal "web: peak RSS / file, File, Blobs" "$(ratio "${blob_peak:-0}" "$file")" 3
}
want web && web_row

echo
echo "load: $(uptime)"
printf '%-30s %9s %9s   %s\n' "ratio" "measured" "goal" "met"
printf '%s\n' "${SUMMARY[@]}"
