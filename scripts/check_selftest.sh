#!/usr/bin/env bash
# Shows that check_tests.sh, check_layers.sh and check_includes.sh refuse the
# faults they are there for: each runs over a small tree of its own (in a
# fresh folder under TMPDIR) first as it is, where it must pass, then with one
# fault planted, where it must fail and name the file.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd -P)
base=$(mktemp -d)
trap "rm -rf \"\$base\"" EXIT
failures=0

# A tree holding the scripts and the files given as name=text pairs.
tree() {
  local t
  t=$(mktemp -d "$base/tree.XXXXXX")
  mkdir -p "$t/scripts"
  cp "$here"/scripts/{sources.sh,check_tests.sh,check_layers.sh,check_includes.sh,include_jobs.pl} "$t/scripts/"
  for pair in "$@"; do
    mkdir -p "$t/$(dirname "${pair%%=*}")"
    printf '%s\n' "${pair#*=}" >"$t/${pair%%=*}"
  done
  echo "$t"
}

# expect pass|fail what check tree [text the failure names]
expect() {
  local want=$1 what=$2 check=$3 t=$4 names=${5:-} out rc=0
  out=$(cd "$t" && "scripts/$check" 2>&1) || rc=$?
  if [ "$want" = pass ] && [ $rc -ne 0 ]; then
    echo "selftest: $check fails on $what:"
    echo "$out"
    failures=$((failures + 1))
  elif [ "$want" = fail ] && { [ $rc -eq 0 ] || ! grep -qF -- "$names" <<<"$out"; }; then
    echo "selftest: $check does not refuse $what (rc=$rc):"
    echo "$out"
    failures=$((failures + 1))
  fi
}

# ---- check_tests.sh: an assertion with a streamed message as the body of an unbraced if.
braced='TEST(A, B) {
    bool c = true;
    if (c) {
        ASSERT_TRUE(c) << "m";
    }
    if (c) EXPECT_TRUE(c) << "m"; else EXPECT_FALSE(c);
}'
expect pass "braced assertions" check_tests.sh "$(tree "tests/a_test.cpp=$braced")"
one='TEST(A, B) {
    bool c = true;
    if (c) ASSERT_TRUE(c) << "m";
}'
expect fail "a streamed assertion after an if on one line" check_tests.sh \
  "$(tree "tests/a_test.cpp=$one")" "tests/a_test.cpp:3:"
two='TEST(A, B) {
    bool c = true;
    if (c)
        EXPECT_EQ(1, 1) << "m" << (1 + 2);
}'
expect fail "a streamed assertion after an if over two lines" check_tests.sh \
  "$(tree "tests/a_test.cpp=$two")" "tests/a_test.cpp:3:"

# ---- check_layers.sh: a header that brings in the grid's own headers, in a collaborator.
grid=(
  "suite/grid/qzdbigrd.h=#pragma once"
  "suite/grid/qzgridhost.h=#pragma once"
  'suite/grid/qzdbgrid.h=#pragma once
#include "suite/grid/qzdbigrd.h"'
  'suite/grid/qzlookuplist.h=#pragma once
#include "suite/grid/qzdbgrid.h"'
)
expect pass "a collaborator with its host only" check_layers.sh \
  "$(tree "${grid[@]}" 'suite/grid/qzgridexport.cpp=#include "suite/grid/qzgridhost.h"')"
for h in qzdbigrd.h qzdbgrid.h qzlookuplist.h; do
  expect fail "$h in a collaborator" check_layers.sh \
    "$(tree "${grid[@]}" "suite/grid/qzgridexport.cpp=#include \"suite/grid/$h\"")" \
    "suite/grid/qzgridexport.cpp:1: suite/grid/$h"
done

# ---- check_includes.sh: a source and a header that lean on a header they do not include,
# among files that include it, so that it is precompiled for their group.
if command -v clang++ >/dev/null 2>&1 || command -v g++ >/dev/null 2>&1; then
  compiler=$(command -v clang++ || command -v g++)
  lib=(
    'lib/a.h=#pragma once
#include <string>
struct A { std::string s; };'
    'lib/b.h=#pragma once
#include "lib/a.h"
inline A MakeA() { return {}; }'
    'lib/u1.cpp=#include "lib/b.h"
A U1() { return MakeA(); }'
    'lib/u2.cpp=#include "lib/a.h"
A U2() { return {}; }'
    'lib/u3.cpp=#include "lib/b.h"
A U3() { return MakeA(); }'
  )
  # The compile commands of the files of lib/: one group.
  commands() {
    local t=$1 first=1
    echo "["
    for f in "$t"/lib/*.cpp; do
      [ $first -eq 1 ] || echo ","
      first=0
      printf '{"directory": "%s", "command": "%s -I%s -std=c++20 -Wall -Werror -o x.o -c %s", "file": "%s"}\n' \
        "$t" "$compiler" "$t" "$f" "$f"
    done
    echo "]"
  }
  includes() {
    local want=$1 what=$2 t=$3 names=${4:-}
    commands "$t" >"$t/commands.json"
    TASKMOOR_COMPILE_COMMANDS="$t/commands.json" expect "$want" "$what" check_includes.sh "$t" "$names"
  }
  includes pass "files that name their headers" "$(tree "${lib[@]}" 'lib/c.cpp=#include "lib/a.h"
#include "lib/b.h"
A C() { return MakeA(); }' 'lib/d.h=#pragma once
#include "lib/a.h"
inline A D() { return {}; }')"
  includes fail "a source missing a header" "$(tree "${lib[@]}" 'lib/c.cpp=#include <string>
A C() { return {}; }')" "lib/c.cpp"
  includes fail "a header missing a header" "$(tree "${lib[@]}" 'lib/c.cpp=#include "lib/a.h"
#include "lib/d.h"
A C() { return D(); }' 'lib/d.h=#pragma once
inline A D() { return {}; }')" "lib/d.h"
fi

if [ $failures -gt 0 ]; then
  echo "FAILED: $failures planted fault(s) not refused or clean tree(s) refused"
  exit 1
fi
echo "selftest: the checks refuse their planted faults and pass clean trees"
