#!/usr/bin/env bash
# Fails on an assertion that is the whole body of an unbraced if in tests,
# fuzz targets and benchmarks: the assertion macros end in an if/else of their
# own, which gcc reports as an ambiguous else (clang does not), and the tests
# build with warnings as errors on both.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(scripts/sources.sh | grep -E '^(tests|fuzz|bench)/.*\.(cpp|h)$')

out=$(awk '
  # A flagged line waits for the next: an else there gives the if its own.
  function settle(line) {
    if (pending != "" && line !~ /^[ \t]*(\} *)?else([^A-Za-z_]|$)/)
      print pending "an assertion as the body of an unbraced if"
    pending = ""
  }
  FNR == 1 { if (pending != "") settle(""); prev = "" }
  {
    settle($0)
    where = FILENAME ":" FNR ": "
    if ($0 ~ /(^|[^A-Za-z_])if \(.*\) *(ASSERT|EXPECT)_[A-Z_]+\(.*; *$/)
      pending = where
    else if (prev ~ /(^|[^A-Za-z_])if \(.*\) *$/ && $0 ~ /^[ \t]*(ASSERT|EXPECT)_[A-Z_]+\(.*; *$/)
      pending = where
    prev = $0
  }
  END { settle("") }
' "${files[@]}")

if [ -n "$out" ]; then
  echo "$out"
  echo "FAILED: $(wc -l <<<"$out") assertion(s) to put in braces"
  exit 1
fi
echo "tests: ${#files[@]} files checked for unbraced assertions"
