#!/usr/bin/env bash
# Fails when a source of the libraries, the program or the tests does not name
# every header it uses: each is compiled alone (syntax only), as the unity build
# of the tests and of the program would not show.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-includes
compiler=$(command -v clang++ || command -v g++)
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="-O0 -g0" -DTASKMOOR_TESTS=ON -DTASKMOOR_INCLUDE_CHECK=ON -DTASKMOOR_WERROR=ON \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$PWD/scripts/syntax_only.sh" >/dev/null
mapfile -t objects < <(ninja -C "$dir" -t targets all | grep -oE '^[^:]+\.cpp\.o' | sort -u)
if ! ninja -C "$dir" -k 0 "${objects[@]}" >"$dir/check.log" 2>&1; then
  grep -E 'error:' "$dir/check.log" | awk 'NR <= 30' || true
  echo "FAILED: these sources do not compile alone (see $dir/check.log)"
  exit 1
fi
echo "includes: ${#objects[@]} sources compile alone"
