# Test cases of a shell test and their GoogleTest-style report, which the test command sums.
# shellcheck shell=bash

passed=0
failed=0
cases=
check() {  # check NAME DETAIL RESULT (0 passes)
  if [ "$3" -eq 0 ]; then
    passed=$((passed + 1))
    cases+="<testcase name=\"$1\"/>"
  else
    failed=$((failed + 1))
    echo "FAILED: $1: $2"
    cases+="<testcase name=\"$1\"><failure message=\"$(echo "$2" | tr -d '<>&"')\"/></testcase>"
  fi
}

write_report() {  # write_report FILE SUITE
  echo "<?xml version=\"1.0\"?><testsuites tests=\"$((passed + failed))\" failures=\"$failed\" errors=\"0\" disabled=\"0\"><testsuite name=\"$2\">$cases</testsuite></testsuites>" >"$1"
}
