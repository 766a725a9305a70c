#!/usr/bin/env bash
# The tests most exposed to the machine's speed, the windows' tests and the
# command line as separate processes, run ROUNDS times in a row on the
# machine as it is, then ROUNDS times with every core kept busy (stress-ng,
# or a shell busy loop where it is missing). Every round must pass: a test
# that passes only on an idle or a fast machine decides by the wall clock.
#
#   test_stress.sh BUILD_DIR [ROUNDS] [JOBS]
#
# Prints each phase's rounds passed and the load average around it; the
# status is 0 only when every round of both phases passed.
set -uo pipefail
build=${1:?usage: test_stress.sh BUILD_DIR [ROUNDS] [JOBS]}
rounds=${2:-50}
jobs=${3:-$(nproc)}
tests='^(test_ui_|CliProcesses\.)'
log=$(mktemp)
busy_pids=()

stop_busy() {
  for pid in "${busy_pids[@]}"; do
    kill "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
  done
  busy_pids=()
}
trap 'stop_busy; rm -f "$log"' EXIT
trap 'exit 130' INT TERM

load() { cut -d' ' -f1-3 /proc/loadavg; }

count=$(cd "$build" && ctest -N -R "$tests" | sed -n 's/^Total Tests: //p')
if [[ -z "$count" || "$count" -eq 0 ]]; then
  echo "test-stress: no tests match $tests in $build" >&2
  exit 2
fi

# Runs the tests `rounds` times; sets phase_failed to the rounds that
# failed. The load average is read after every round.
phase() {
  local name=$1 passed=0 start loads=""
  phase_failed=0
  start=$(date +%s)
  echo "== $name: $rounds rounds of $count tests, $(nproc) cores," \
    "load average before: $(load)"
  for ((i = 1; i <= rounds; i++)); do
    if (cd "$build" && QT_QPA_PLATFORM=offscreen \
      ctest --output-on-failure -j "$jobs" -R "$tests") > "$log" 2>&1; then
      passed=$((passed + 1))
    else
      phase_failed=$((phase_failed + 1))
      echo "-- $name: round $i failed:"
      grep -E 'Failed|FAIL|Timeout|Exception|\*\*\*' "$log" | head -40
    fi
    loads+="$(cut -d' ' -f1 /proc/loadavg) "
  done
  echo "== $name: $passed of $rounds rounds passed in" \
    "$(($(date +%s) - start)) s; 1-minute load average over the rounds:" \
    "$(awk '{ s = 0; m = 0; for (i = 1; i <= NF; i++) { s += $i;
      if ($i > m) m = $i } printf "mean %.2f, max %.2f", s / NF, m }' \
      <<< "$loads")"
}

phase "idle"
idle_failed=$phase_failed

cores=$(nproc)
if command -v stress-ng > /dev/null; then
  # A time limit, in case this script is killed before it stops it.
  stress-ng --cpu "$cores" --timeout 4h --quiet &
  busy_pids+=($!)
  how="stress-ng --cpu $cores"
else
  for ((c = 0; c < cores; c++)); do
    bash -c 'while :; do :; done' &
    busy_pids+=($!)
  done
  how="$cores shell busy loops"
fi
phase "busy ($how)"
busy_failed=$phase_failed
stop_busy

total=$((2 * rounds - idle_failed - busy_failed))
echo "test-stress: $total of $((2 * rounds)) rounds passed" \
  "(idle $((rounds - idle_failed)), busy $((rounds - busy_failed)))"
[[ $idle_failed -eq 0 && $busy_failed -eq 0 ]]
