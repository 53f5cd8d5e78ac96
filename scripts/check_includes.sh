#!/usr/bin/env bash
# Fails when a source or a header does not name every header it uses: each
# source of the libraries, the program, the tests, the fuzz targets and the
# benchmarks is parsed alone (syntax only), and each header alone in a file
# that includes nothing else (or first in a source that opens with it),
# without the build's precompiled headers, $(nproc) at a time.
#
# To stay fast, a file may be parsed with headers it includes anyway, directly
# or through other headers, read in beforehand from a precompiled header of its
# own group (scripts/include_jobs.pl): its own code sees the same declarations,
# and a header that leaned on one read in early is caught where it is parsed
# alone. Files whose includes are not all at their top, or lie under #if, get none.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd -P)
cd "$top"
dir=$top/build-includes
compiler=$(command -v clang++ || command -v g++)
mkdir -p "$dir"
# The fuzz targets build with clang only; the benchmarks' library is one of scripts/deps.sh.
extra=(-DTASKMOOR_BENCH=ON)
case "$compiler" in *clang++) extra+=(-DTASKMOOR_FUZZ=ON) ;; esac
# TASKMOOR_COMPILE_COMMANDS names other compile commands (scripts/check_selftest.sh).
commands=${TASKMOOR_COMPILE_COMMANDS:-}
if [ -z "$commands" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS="-O0 -g0" -DTASKMOOR_TESTS=ON -DTASKMOOR_INCLUDE_CHECK=ON -DTASKMOOR_WERROR=ON \
    -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DCMAKE_UNITY_BUILD=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_CXX_COMPILER_LAUNCHER= "${extra[@]}" >/dev/null
  commands=$dir/compile_commands.json
fi
work=$dir/check
rm -rf "$work"
mkdir -p "$work"
scripts/sources.sh >"$work/files"
perl scripts/include_jobs.pl "$top" "$commands" "$work" <"$work/files"
jobs=$(nproc)
run() {
  local list=$1
  [ -s "$list" ] || return 0
  xargs -P "$jobs" -d '\n' -n 1 sh <"$list"
}
run "$work/pch.jobs"
run "$work/check.jobs"
mapfile -t failed < <(find "$work" -name '*.fail' | sort)
if [ ${#failed[@]} -gt 0 ]; then
  for f in "${failed[@]}"; do
    echo "== $(cat "$f")"
    grep -E 'error:' "${f%.fail}.log" | awk 'NR <= 5' || true
  done
  echo "FAILED: ${#failed[@]} file(s) do not compile alone (logs in $work)"
  exit 1
fi
echo "includes: $(cat "$work/sources") sources and $(cat "$work/headers") headers compile alone"
