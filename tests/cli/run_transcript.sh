#!/usr/bin/env bash
# One command-line behaviour as a transcript: runs CASE.sh in a fresh
# temporary directory with $SNPLN the snpln-cli under test (under the C
# locale unless the case sets its own), and compares what it wrote to
# standard output and standard error with CASE.out and CASE.err (an absent
# file: nothing). Each case prints the exit statuses it means to check.
# Usage: run_transcript.sh SNPLN_CLI CASE.sh
set -u
snpln=$1
case_script=$2
base=${case_script%.sh}
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
(cd "$work" && env -u LANGUAGE LC_ALL=C LANG=C SNPLN="$snpln" \
  bash "$case_script" >"$work.out" 2>"$work.err")
status=0
for stream in out err; do
  expected="$base.$stream"
  [[ -f "$expected" ]] || expected=/dev/null
  if ! diff -u --label "expected $stream" --label "actual $stream" \
    "$expected" "$work.$stream"; then
    status=1
  fi
done
rm -f "$work.out" "$work.err"
[[ $status -eq 0 ]] && echo "transcript matches: ${base##*/}"
exit $status
