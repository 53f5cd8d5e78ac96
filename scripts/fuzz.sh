#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time;
# a crash fails. Skipped when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-15}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ not found: fuzzing skipped"; exit 0
fi
ls fuzz/*_fuzz.cpp >/dev/null 2>&1 || { echo "no fuzz targets"; exit 0; }
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" \
  -DTASKMOOR_FUZZ=ON -DTASKMOOR_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers -j "$(nproc)"
rm -f build-fuzz/failed.list
# One target: its seed corpus copied to a scratch folder, run for the given time.
fuzz_one() {
  local name=$1 secs=$2
  local corpus=fuzz/corpus/${name%_fuzz}
  local work
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  # fuzz/<target>.options may set its own limits (a shorter time per input)
  local options=(-timeout=10)
  [ -f "fuzz/${name%_fuzz}.options" ] && read -r -a options < "fuzz/${name%_fuzz}.options"
  if ! ./build-fuzz/fuzz/"$name" -max_total_time="$secs" -rss_limit_mb=2048 "${options[@]}" \
      -artifact_prefix="build-fuzz/$name-" "$work" > "build-fuzz/$name.log" 2>&1; then
    rm -rf "$work"
    return 1
  fi
  rm -rf "$work"
}
export -f fuzz_one
# The targets run side by side, one per core; each gets the full time.
names=()
for f in fuzz/*_fuzz.cpp; do names+=("$(basename "$f" .cpp)"); done
echo "fuzzing ${#names[@]} targets for ${secs}s each, $(nproc) at a time"
failed=0
printf '%s\n' "${names[@]}" | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$1" "$2" || echo "{}" >> build-fuzz/failed.list' _ {} "$secs" || failed=1
for name in "${names[@]}"; do
  echo "$name: $(grep -E '^Done [0-9]+ runs' "build-fuzz/$name.log" || echo 'no summary')"
done
if [ -s build-fuzz/failed.list ]; then
  while read -r name; do
    tail -n 60 "build-fuzz/$name.log"
    echo "FAILED: $name found a crash (input saved under build-fuzz/)"
  done < build-fuzz/failed.list
  exit 1
fi
[ "$failed" -eq 0 ] || { echo "FAILED: the fuzz run did not finish"; exit 1; }
