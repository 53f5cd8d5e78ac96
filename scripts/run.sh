#!/usr/bin/env bash
# Builds the program and starts it in the current folder, which is its data folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTASKMOOR_TESTS=OFF >/dev/null
cmake --build "$root/build" -j "$(nproc)"
if [ -x "$root/build/app/taskmoor" ]; then
  exec "$root/build/app/taskmoor" "$@"
else
  echo "Everything is built; there is no program to start yet."
fi
