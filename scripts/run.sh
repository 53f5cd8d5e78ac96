#!/usr/bin/env bash
# Builds the program and starts it in the current folder, which is its data folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTASKMOOR_TESTS=OFF >/dev/null
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
