#!/usr/bin/env bash
# Fails when an include breaks a rule the compiler cannot see:
# - operating-system headers (unistd.h, sys/*.h, fcntl.h, ...) outside platform/,
#   its tests and their shared support (tests/support/core, tests/support/ui);
# - Qt headers outside platform/ui's .cpp files, its private headers (qt_*.h,
#   *_qt.h), its tests and their *_qt.h support headers, and those private
#   headers outside platform/ui's own tests;
# - an include that climbs out with "..";
# - the suite grid's own headers (qzdbigrd.h, qzdbigrd_impl.h, qzdbigrd_hosts.h)
#   in its collaborators' files (titles, cells, painter, hints, drag, in-cell
#   controls, export, and their interfaces in qzgridhost.h): they reach the
#   grid only through their interfaces.
# The layer order itself is the build's check (cmake/Layers.cmake): each library
# sees only the layers below it, so an include against the order does not compile.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t existing < <(scripts/sources.sh)

out=$(awk '
  BEGIN {
    os = "^(unistd\\.h|sys/[a-z_/]+\\.h|fcntl\\.h|dlfcn\\.h|pthread\\.h|dirent\\.h|spawn\\.h|poll\\.h|pwd\\.h|grp\\.h|termios\\.h|netdb\\.h|netinet/[a-z_]+\\.h|arpa/[a-z_]+\\.h|semaphore\\.h)$"
  }
  /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    inc = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*[<"]/, "", inc)
    sub(/[>"].*$/, "", inc)
    where = FILENAME ":" FNR ": " inc ": "
    if (FILENAME !~ /^(tests\/)?platform\// && FILENAME !~ /^tests\/support\/(core|ui)\// && inc ~ os)
      print where "operating-system header outside platform/"
    if (inc ~ /^Q[A-Za-z]*(\/[A-Za-z]+)?$/ &&
        FILENAME !~ /^platform\/ui\/([^\/]*\.cpp|qt_[^\/]*\.h|[^\/]*_qt\.h)$/ && FILENAME !~ /^tests\/(platform\/ui\/|support\/ui\/[^\/]*_qt\.h$)/)
      print where "Qt header outside platform/ui'"'"'s sources and private headers"
    if (inc ~ /^(platform|support)\/ui\/(qt_[^\/]*|[^\/]*_qt)\.h$/ && FILENAME !~ /^(tests\/)?platform\/ui\// &&
        FILENAME !~ /^tests\/support\/ui\/[^\/]*_qt\.h$/)
      print where "private header of platform/ui outside it"
    if (inc ~ /\.\./) print where "include that climbs out of its folder"
    if (FILENAME ~ /^suite\/grid\/qzgrid(title|cells|paint|hint|drag|controls|export|host)\.(cpp|h)$/ &&
        inc ~ /^suite\/grid\/qzdbigrd(_impl|_hosts)?\.h$/)
      print where "the grid'"'"'s own header in a collaborator (it reaches the grid through qzgridhost.h)"
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
