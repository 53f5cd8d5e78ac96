#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time;
# a crash fails. Skipped when clang is not installed.
# With a build folder as argument (one configured with TASKMOOR_FUZZ=ON, as scripts/test.sh does)
# the targets are built there; otherwise in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ not found: fuzzing skipped"; exit 0
fi
ls fuzz/*_fuzz.cpp >/dev/null 2>&1 || { echo "no fuzz targets"; exit 0; }
build=${1:-build-fuzz}
if [ "$build" = build-fuzz ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" \
    -DTASKMOOR_FUZZ=ON -DTASKMOOR_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target fuzzers -j "$(nproc)"
export FUZZ_BUILD=$build
rm -f "$build/failed.list"
# One target: its seed corpus copied to a scratch folder, run for the given time.
fuzz_one() {
  local name=$1 secs=$2
  local corpus=fuzz/corpus/${name%_fuzz}
  local work scratch
  work=$(mktemp -d)
  # files a target writes go into a folder of its own
  scratch=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  # fuzz/<target>.options may set its own limits (a shorter time per input)
  local options=(-timeout=10)
  [ -f "fuzz/${name%_fuzz}.options" ] && read -r -a options < "fuzz/${name%_fuzz}.options"
  if ! TMPDIR="$scratch" "$FUZZ_BUILD/fuzz/$name" -max_total_time="$secs" -rss_limit_mb=2048 "${options[@]}" \
      -artifact_prefix="$FUZZ_BUILD/$name-" "$work" > "$FUZZ_BUILD/$name.log" 2>&1; then
    rm -rf "$work" "$scratch"
    return 1
  fi
  rm -rf "$work" "$scratch"
}
export -f fuzz_one
# The targets run side by side, one per core. The phase takes about FUZZ_BUDGET seconds of wall
# time (default 120), shared out over the rounds of targets, at least 5 s a target;
# FUZZ_SECONDS gives every target that time instead.
names=()
for f in fuzz/*_fuzz.cpp; do names+=("$(basename "$f" .cpp)"); done
jobs=$(nproc)
if [ -n "${FUZZ_SECONDS:-}" ]; then
  secs=$FUZZ_SECONDS
else
  rounds=$(( (${#names[@]} + jobs - 1) / jobs ))
  secs=$(( ${FUZZ_BUDGET:-120} / rounds ))
  [ "$secs" -ge 5 ] || secs=5
fi
echo "fuzzing ${#names[@]} targets for ${secs}s each, $jobs at a time"
failed=0
printf '%s\n' "${names[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one "$1" "$2" || echo "{}" >> "$FUZZ_BUILD/failed.list"' _ {} "$secs" || failed=1
for name in "${names[@]}"; do
  echo "$name: $(grep -E '^Done [0-9]+ runs' "$build/$name.log" || echo 'no summary')"
done
if [ -s "$build/failed.list" ]; then
  while read -r name; do
    tail -n 60 "$build/$name.log"
    echo "FAILED: $name found a crash (input saved under $build/)"
  done < "$build/failed.list"
  exit 1
fi
[ "$failed" -eq 0 ] || { echo "FAILED: the fuzz run did not finish"; exit 1; }
