#!/usr/bin/env bash
# Fails on an assertion that is the whole body of an unbraced if in tests,
# fuzz targets and benchmarks: the assertion macros end in an if/else of their
# own, which gcc reports as an ambiguous else (clang does not), and the tests
# build with warnings as errors on both. Whole statements are read, so a
# condition or an assertion that runs over several lines is seen too, and one
# with a message streamed into it (ASSERT_TRUE(x) << "why").
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(scripts/sources.sh | grep -E '^(tests|fuzz|bench)/.*\.(cpp|h)$')

out=$(perl -e '
  use strict; use warnings;
  # Blanks comments and literals, keeping every line break, so that positions
  # still give line numbers and no parenthesis inside them counts.
  sub blank {
    my ($s) = @_;
    $s =~ s{//[^\n]*|/\*.*?\*/|R"([^(\s]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|'"'"'(?:\\.|[^'"'"'\\\n])*'"'"'}
           { my $m = $&; $m =~ s/[^\n]/ /g; $m }gse;
    return $s;
  }
  # The position just past the parenthesis that closes the one at $open.
  sub close_of {
    my ($s, $open) = @_;
    my $depth = 0;
    for (my $i = $open; $i < length $s; ++$i) {
      my $c = substr($s, $i, 1);
      ++$depth if $c eq "(";
      if ($c eq ")") { --$depth; return $i + 1 if $depth == 0; }
    }
    return -1;
  }
  # The position of the semicolon that ends the statement going on at $from.
  sub semicolon_of {
    my ($s, $from) = @_;
    my $depth = 0;
    for (my $i = $from; $i < length $s; ++$i) {
      my $c = substr($s, $i, 1);
      if ($c =~ /[(\[{]/) { ++$depth }
      elsif ($c =~ /[)\]}]/) { return -1 if --$depth < 0 }
      elsif ($c eq ";" && $depth == 0) { return $i }
    }
    return -1;
  }
  for my $file (@ARGV) {
    open(my $fh, "<", $file) or die "$file: $!";
    local $/; my $s = blank(<$fh>); close $fh;
    while ($s =~ /\bif\s*(?:constexpr\s*)?\(/g) {
      my $at = $-[0];
      my $end = close_of($s, $+[0] - 1);
      last if $end < 0;
      pos($s) = $end;
      next unless $s =~ /\G\s*(?:ASSERT|EXPECT)_[A-Z0-9_]+\s*\(/gc;
      my $after = close_of($s, $+[0] - 1);
      last if $after < 0;
      pos($s) = $after;
      # A message streamed into the assertion runs to the end of the statement.
      if ($s =~ /\G\s*<</gc) {
        my $semi = semicolon_of($s, pos($s));
        last if $semi < 0;
        pos($s) = $semi;
      }
      next unless $s =~ /\G\s*;\s*/gc;
      my $next = pos($s);
      pos($s) = $end;
      next if substr($s, $next) =~ /^else\b/;
      my $line = 1 + (substr($s, 0, $at) =~ tr/\n//);
      print "$file:$line: an assertion as the body of an unbraced if\n";
    }
  }
' "${files[@]}")

if [ -n "$out" ]; then
  echo "$out"
  echo "FAILED: $(wc -l <<<"$out") assertion(s) to put in braces"
  exit 1
fi
echo "tests: ${#files[@]} files checked for unbraced assertions"
