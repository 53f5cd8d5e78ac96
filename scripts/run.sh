#!/usr/bin/env bash
# Builds the program and starts it in the current folder, which is its data folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
# Sixteen sources a compile (CMake's unity build) and light debug information:
# about half the compile time of one source at a time. That each source names
# every header it uses is checked by the test command (scripts/check_includes.sh).
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DTASKMOOR_TESTS=OFF \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 >/dev/null
cmake --build "$root/build" -j "$(nproc)"
if [ -x "$root/build/app/taskmoor" ]; then
  # A folder without any of the program's table files gets a fresh set.
  has_tables=""
  for t in Ttask.d Ttask2.d List.d archive.d quotes.d Goals.d GoalGrp.d catg.d catg2.d status1.d appid.d; do
    if [ -n "$(find . -maxdepth 1 -type f -iname "$t" -print -quit)" ]; then has_tables=1; break; fi
  done
  if [ -z "$has_tables" ]; then
    echo "No table files here: preparing a new data folder in $(pwd)"
    if [ -f "$root/build/app/data/Ttask.d" ]; then
      cp "$root/build/app/data/"*.d .
    else
      "$root/build/app/make_data" .
    fi
  fi
  exec "$root/build/app/taskmoor" "$@"
else
  echo "Everything is built; there is no program to start yet."
fi
