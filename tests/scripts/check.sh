# Assertions for the shell tests: each prints what was expected and what
# came, and marks the test failed; `finish` gives the status.
failures=0

fail() {
  printf 'FAIL: %s\n' "$1"
  failures=$((failures + 1))
}

# expect_eq WHAT EXPECTED ACTUAL
expect_eq() {
  if [[ "$2" != "$3" ]]; then
    fail "$1"
    printf '  expected: %s\n  actual:   %s\n' "$2" "$3"
  fi
}

# expect_contains WHAT TEXT NEEDLE
expect_contains() {
  if [[ "$2" != *"$3"* ]]; then
    fail "$1"
    printf '  expected to find: %s\n  in:\n%s\n' "$3" "$2"
  fi
}

finish() {
  if [[ $failures -ne 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
