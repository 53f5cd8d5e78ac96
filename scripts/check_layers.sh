#!/usr/bin/env bash
# Fails when an include breaks the layer rules:
# - operating-system headers (unistd.h, sys/*.h, fcntl.h, ...) outside platform/
#   and its tests;
# - Qt headers outside platform/ui's .cpp files, its private headers (qt_*.h,
#   *_qt.h) and its tests, and those private headers outside platform/ui;
# - an include of a higher layer, or one that climbs out with "..".
# The build catches upward includes too (each library sees only the layers
# below it); this also covers headers no source includes yet.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t existing < <(scripts/sources.sh)

out=$(awk '
  BEGIN {
    os = "^(unistd\\.h|sys/[a-z_/]+\\.h|fcntl\\.h|dlfcn\\.h|pthread\\.h|dirent\\.h|spawn\\.h|poll\\.h|pwd\\.h|grp\\.h|termios\\.h|netdb\\.h|netinet/[a-z_]+\\.h|arpa/[a-z_]+\\.h|semaphore\\.h)$"
    layer = "^(platform|engine|engine-controls|suite|app)/"
  }
  # The folders a file of each layer may include from.
  function allowed(f) {
    if (f ~ /^platform\/core\//) return "platform/core"
    if (f ~ /^platform\/db\//) return "platform/core platform/db"
    if (f ~ /^platform\/ui\//) return "platform/core platform/db platform/ui"
    if (f ~ /^engine\//) return "platform engine"
    if (f ~ /^engine-controls\//) return "platform engine engine-controls"
    if (f ~ /^suite\//) return "platform suite"
    if (f ~ /^app\/report\//) return "platform engine engine-controls suite app/report"
    if (f ~ /^app\//) return "platform engine engine-controls suite app"
    return ""
  }
  /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    inc = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*[<"]/, "", inc)
    sub(/[>"].*$/, "", inc)
    where = FILENAME ":" FNR ": " inc ": "
    if (FILENAME !~ /^(tests\/)?platform\// && inc ~ os)
      print where "operating-system header outside platform/"
    if (inc ~ /^Q[A-Za-z]*(\/[A-Za-z]+)?$/ &&
        FILENAME !~ /^platform\/ui\/([^\/]*\.cpp|qt_[^\/]*\.h|[^\/]*_qt\.h)$/ && FILENAME !~ /^tests\/platform\/ui\//)
      print where "Qt header outside platform/ui'"'"'s sources and private headers"
    if (inc ~ /^platform\/ui\/(qt_[^\/]*|[^\/]*_qt)\.h$/ && FILENAME !~ /^(tests\/)?platform\/ui\//)
      print where "private header of platform/ui outside it"
    if (inc ~ /\.\./) print where "include that climbs out of its folder"
    own = allowed(FILENAME)
    if (own != "" && inc ~ layer) {
      n = split(own, a, " ")
      ok = 0
      for (i = 1; i <= n; i++) if (index(inc, a[i] "/") == 1) ok = 1
      if (!ok) print where "include of a higher layer"
    }
  }
' "${existing[@]}")

failures=0
if [ -n "$out" ]; then
  echo "$out"
  failures=$(wc -l <<<"$out")
fi
if [ "$failures" -gt 0 ]; then
  echo "FAILED: $failures include(s) against the layer rules"
  exit 1
fi
echo "layers: ${#existing[@]} files checked"
