#!/usr/bin/env bash
# Fails when an include breaks a rule the compiler cannot see:
# - operating-system headers (unistd.h, sys/*.h, fcntl.h, ...) outside platform/,
#   its tests and their shared support (tests/support/core, tests/support/ui);
# - Qt headers outside platform/ui's .cpp files, its private headers (qt_*.h,
#   *_qt.h), its tests and their *_qt.h support headers, and those private
#   headers outside platform/ui's own tests;
# - an include that climbs out with "..";
# - the suite grid's own headers (qzdbigrd.h, qzdbigrd_impl.h, qzdbigrd_hosts.h),
#   or any header that brings them in (qzdbgrid.h, ...), in its collaborators' files (titles, cells, painter, hints, drag, in-cell
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
  }
' "${existing[@]}")

# The grid's collaborators may include no header that brings in the grid's
# own headers, directly or through other headers (qzdbgrid.h, qzlookuplist.h).
grid=$(perl -e '
  use strict; use warnings;
  my %is = map { $_ => 1 } @ARGV;
  my %inc;
  for my $f (@ARGV) {
    open(my $fh, "<", $f) or die "$f: $!";
    my $n = 0;
    while (my $line = <$fh>) {
      ++$n;
      next unless $line =~ /^\s*#\s*include\s*[<"]([^>"]+)[>"]/;
      my ($hit) = grep { $is{$_} } $1, "tests/$1";
      push @{ $inc{$f} }, [$hit, $n] if $hit;
    }
    close $fh;
  }
  my $own = qr{^suite/grid/qzdbigrd(_impl|_hosts)?\.h$};
  my %brings;
  sub brings {
    my ($f, $seen) = @_;
    return $brings{$f} if exists $brings{$f};
    return 0 if $seen->{$f}++;
    my $r = $f =~ $own ? 1 : 0;
    for (@{ $inc{$f} || [] }) { $r = 1 if brings($_->[0], $seen) }
    return $brings{$f} = $r;
  }
  for my $f (sort @ARGV) {
    next unless $f =~ m{^suite/grid/qzgrid(title|cells|paint|hint|drag|controls|export|host)\.(cpp|h)$};
    for (@{ $inc{$f} || [] }) {
      my ($h, $n) = @$_;
      next unless brings($h, {});
      my $what = $h =~ $own ? "the grid'"'"'s own header" : "a header that brings in the grid'"'"'s own headers";
      print "$f:$n: $h: $what in a collaborator (it reaches the grid through qzgridhost.h)\n";
    }
  }
' "${existing[@]}")
[ -z "$grid" ] || out=$(printf '%s\n%s' "$out" "$grid" | sed '/^$/d')

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
