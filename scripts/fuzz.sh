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
for f in fuzz/*_fuzz.cpp; do
  name=$(basename "$f" .cpp)
  corpus=fuzz/corpus/${name%_fuzz}
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  echo "fuzzing $name for ${secs}s"
  if ! ./build-fuzz/fuzz/"$name" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="build-fuzz/$name-" "$work" > "build-fuzz/$name.log" 2>&1; then
    tail -n 60 "build-fuzz/$name.log"
    echo "FAILED: $name found a crash (input saved under build-fuzz/)"
    exit 1
  fi
  grep -E '^Done [0-9]+ runs' "build-fuzz/$name.log" || true
  rm -rf "$work"
done
