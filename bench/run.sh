#!/usr/bin/env bash
# Times snpln-cli against a peer command and against a plain safe copy (the
# floor for 8 KB slices written to disk), on fresh copies of one large
# Russian text file.
#
#   bench/run.sh            # 5 runs per command, 128 MiB file
#   RUNS=9 SIZE_MB=1024 bench/run.sh
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
CLI=$BUILD/cli/snpln-cli
TIME=/usr/bin/time

if [[ ! -x $TIME ]]; then
  echo "installing GNU time" >&2
  apt-get install -y time >/dev/null || { apt-get update >/dev/null && apt-get install -y time >/dev/null; }
fi

if [[ ${SKIP_BUILD:-0} != 1 ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSNPLN_BUILD_UI=OFF -DSNPLN_BUILD_TESTS=OFF >/dev/null
  cmake --build "$BUILD" --target snpln-cli
fi
if [[ ! -x $CLI ]]; then
  echo "no $CLI: snpln cases will be skipped" >&2
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/snpln-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
SOURCE=$WORK/source.txt
F=$WORK/f.txt
T=$WORK/t.txt
export F T CLI
cd "$WORK"

echo "making a ${SIZE_MB} MiB Dos text file"
python3 "$ROOT/bench/make_text.py" --code dos --size "$SIZE_MB" "$SOURCE"
SIZE=$(stat -c %s "$SOURCE")

# fresh_copy: $F becomes a copy of the source, on disk, with no leftovers.
fresh_copy() {
  rm -f "$F" "$T" "$WORK/~sn\$ln~.tmp"
  cp "$SOURCE" "$F"
  sync "$F"
}

# time_once CMD [RSSFILE]: seconds taken by CMD on a fresh copy. With
# RSSFILE, the command runs under GNU time and its peak RSS (KiB) goes there.
time_once() {
  local cmd=$1 rss=${2:-} start end
  fresh_copy
  start=$(date +%s.%N)
  if [[ -n $rss ]]; then
    eval "$TIME -f %M -o \"$rss\" $cmd" >/dev/null
  else
    eval "$cmd" >/dev/null
  fi
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

# median_of CMD [RSSFILE]: median seconds over RUNS fresh runs; the result
# file of the last run is kept as $WORK/last.<tag> when TAG is set.
median_of() {
  local cmd=$1 rss=${2:-} times=()
  for ((i = 0; i < RUNS; i++)); do
    times+=("$(time_once "$cmd" "$rss")")
  done
  if [[ -n ${TAG:-} ]]; then cp "$F" "$WORK/last.$TAG"; fi
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "file: $SIZE bytes, $RUNS runs per command, medians in seconds"
DD_CMD='dd if="$F" of="$T" bs=8192 conv=fsync status=none'
DD=$(median_of "$DD_CMD")
printf '%-14s %8s\n' "dd (floor)" "$DD"

# bench_case NAME "snpln command" "peer command": times both, prints the
# medians, snpln/peer and snpln/dd, snpln's peak RSS, and whether the two
# left the same bytes in $F.
bench_case() {
  local name=$1 mine=$2 peer=$3 mine_t peer_t rss=$WORK/rss
  peer_t=$(TAG=peer median_of "$peer")
  if [[ ! -x $CLI ]]; then
    printf '%-14s snpln: (not built)  peer %s\n' "$name" "$peer_t"
    return
  fi
  mine_t=$(TAG=mine median_of "$mine" "$rss")
  local same=no
  if cmp -s "$WORK/last.mine" "$WORK/last.peer"; then same=yes; fi
  printf '%-14s snpln %8s  peer %8s  snpln/peer %5s  snpln/dd %5s  peak RSS %s KiB  same output: %s\n' \
    "$name" "$mine_t" "$peer_t" "$(ratio "$mine_t" "$peer_t")" \
    "$(ratio "$mine_t" "$DD")" "$(cat "$rss")" "$same"
}

bench_case "dos->win" '"$CLI" --from dos --to win "$F"' \
  'iconv -f CP866 -t CP1251 "$F" > "$T" && sync "$T" && mv "$T" "$F"'

# The text operations, on a Windows-1251 text, each against the tool a user
# would pick instead, doing the same rewrite safely.
echo "making a ${SIZE_MB} MiB Win1251 text file"
python3 "$ROOT/bench/make_text.py" --code win --size "$SIZE_MB" "$SOURCE"
DD=$(median_of "$DD_CMD")
printf '%-14s %8s\n' "dd (floor)" "$DD"
SAFE='> "$T" && sync "$T" && mv "$T" "$F"'
MIR=$(printf '\354\350\360') # "мир" in Windows-1251
export MIR
bench_case "upper" '"$CLI" --upper "$F"' \
  "LC_ALL=C tr 'a-z\\340-\\377' 'A-Z\\300-\\337' < \"\$F\" $SAFE"
bench_case "replace" '"$CLI" --replace "$MIR" --with MIR "$F"' \
  "LC_ALL=C sed \"s/\$MIR/MIR/g\" \"\$F\" $SAFE"
bench_case "optimize" '"$CLI" --optimize "$F"' \
  "LC_ALL=C unexpand -a \"\$F\" $SAFE"
bench_case "delete-empty" '"$CLI" --delete-empty "$F"' \
  "cat -s \"\$F\" $SAFE"
