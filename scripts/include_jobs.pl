#!/usr/bin/env perl
# Writes the jobs of scripts/check_includes.sh: reads the project's files (one
# a line on stdin, relative to the top folder) and the build's compile commands,
# and writes into the work folder pch.jobs (the shared precompiled headers) and
# check.jobs (each source and each header parsed alone), one shell file a job.
#
# A file's group is the flags of its target. A file may be parsed with a
# precompiled header only when every header in it is one the file includes
# anyway (directly or through project headers, outside #if), and its includes
# all come before any of its own code: then what its own code sees is the same,
# and each header in it is parsed alone itself, so a header that leans on
# another read in early is still caught.
use strict;
use warnings;
use JSON::PP;
use File::Basename qw(dirname);
use Cwd ();

my ($top, $commands, $work) = @ARGV;
my @files = grep { length } map { chomp; $_ } <STDIN>;
my %is_file = map { $_ => 1 } @files;

sub slurp { my ($p) = @_; open(my $fh, '<', $p) or die "$p: $!"; local $/; my $s = <$fh>; close $fh; $s }

# The spelling that names a project file through the include roots; the
# benchmarks' and fuzz targets' own headers are included from their folder.
sub spelling {
  my ($f) = @_;
  return "$top/$f" if $f =~ m{^(bench|fuzz)/};
  (my $s = $f) =~ s{^tests/}{};
  $s;
}

# The compiler's and the libraries' include folders (filled from the compile
# commands): a header outside the project is named by its path below the
# first that holds it, in <>, and its own includes are followed too.
my (@sysdirs, %path_of, %direct);
sub outside {
  my ($inc, $from) = @_;
  for my $d (($from ? ($from) : ()), @sysdirs) {
    my $p = "$d/$inc";
    next unless -f $p;
    $p = Cwd::abs_path($p);
    for my $s (@sysdirs) {
      next unless index($p, "$s/") == 0;
      my $token = "<" . substr($p, length($s) + 1) . ">";
      $path_of{$token} = $p;
      return $token;
    }
    return "<$inc>";
  }
  return "<$inc>";
}

# Direct includes of a file outside #if (an include guard aside), resolved to
# project files where they are ones; other headers are named in <>. Also
# whether all of them come before the file's own code.
my (%deps, %leading, %first);
sub scan {
  my ($f) = @_;
  return if exists $deps{$f};
  my $theirs = $f =~ /^</;
  my $s = $theirs ? slurp($path_of{$f}) : slurp("$top/$f");
  $s =~ s{/\*.*?\*/}{ (my $m = $&) =~ s/[^\n]//g; $m }gse;
  my @lines = grep { !/^\s*$/ } map { s{//.*}{}r } split /\n/, $s;
  my ($depth, $code, $ok, @d) = (0, 0, 1);
  # An include guard: the first lines are #ifndef X and #define X.
  if (@lines > 1 && $lines[0] =~ /^\s*#\s*ifndef\s+(\w+)/) {
    my $g = $1;
    if ($lines[1] =~ /^\s*#\s*define\s+\Q$g\E\b/) { splice(@lines, 0, 2) }
  }
  for my $line (@lines) {
    if ($line =~ /^\s*#\s*(if|ifdef|ifndef)\b/) { ++$depth; $ok = 0 unless $code; next }
    if ($line =~ /^\s*#\s*endif\b/) { --$depth; next }
    if ($line =~ /^\s*#\s*include\s*([<"])([^>"]+)[>"]/) {
      my ($kind, $inc) = ($1, $2);
      $ok = 0 if $code;
      next if $depth > 0;
      my $here = dirname($theirs ? $path_of{$f} : $f);
      if ($theirs) {
        my $t = outside($inc, $kind eq '"' ? $here : undef);
        push @d, $t;
        next;
      }
      my ($hit) = grep { $is_file{$_} } ($kind eq '"' ? ("$here/$inc") : ()), $inc, "tests/$inc";
      if ($hit) {
        $hit =~ s{(^|/)\./}{$1}g;
        $first{$f} = $hit if !@d && $ok;
        push @d, $hit;
      } else {
        my $t = outside($inc, undef);
        $direct{$t} = 1;
        push @d, $t;
      }
      next;
    }
    next if $line =~ /^\s*#\s*pragma\s+once\b/;
    $code = 1;
  }
  $deps{$f} = \@d;
  $leading{$f} = $ok;
}

# Every header a file includes, directly or through other headers, outside #if.
my %closure;
sub closure {
  my ($f) = @_;
  return $closure{$f} if $closure{$f};
  my %seen;
  my @todo = ($f);
  while (@todo) {
    my $x = pop @todo;
    next if $x =~ /^</ && !$path_of{$x};
    scan($x);
    for my $d (@{ $deps{$x} }) { push @todo, $d unless $seen{$d}++ }
  }
  $closure{$f} = \%seen;
}

# Groups from the compile commands: the flags without output, dependencies and sanitizers.
my $cc = decode_json(slurp($commands));
my (%flags_of, %dir_of, @sources, %sources_in, $compiler);
for my $e (@$cc) {
  my $file = $e->{file};
  next unless $file =~ s{^\Q$top\E/}{} && $is_file{$file} && !exists $flags_of{$file};
  my @a = split ' ', $e->{command};
  my @keep;
  while (@a) {
    my $x = shift @a;
    if ($x eq '-o' || $x eq '-MF' || $x eq '-MT' || $x eq '-c') { shift @a; next }
    next if $x eq '-MD' || $x =~ /^-fsanitize/ || $x eq '-fno-sanitize-recover=undefined';
    push @keep, $x;
  }
  for my $i (0 .. $#keep - 1) {
    next unless $keep[$i] eq '-isystem' || $keep[$i] eq '-I';
    my $d = Cwd::abs_path($keep[$i + 1]);
    push @sysdirs, $d if $d && index($d, "$top/") != 0 && !grep { $_ eq $d } @sysdirs;
  }
  $compiler //= $keep[0];
  $flags_of{$file} = join(' ', @keep);
  $dir_of{$file} = $e->{directory};
  push @sources, $file;
  push @{ $sources_in{ dirname($file) } }, $file;
}

# Then the compiler's own folders.
if ($compiler) {
  my $v = `$compiler -E -x c++ -std=c++20 - -v </dev/null 2>&1`;
  if ($v =~ /search starts here:\n(.*?)End of search list/s) {
    for (split /\n/, $1) {
      s/^\s+|\s+$//g;
      my $d = Cwd::abs_path($_);
      push @sysdirs, $d if $d && !grep { $_ eq $d } @sysdirs;
    }
  }
}

# A header takes the group of the first source of its own folder that includes
# it, else of the first source that does, else of a source of its folder.
my (@headers, @orphans);
for my $h (sort grep { /\.h$/ } @files) {
  my @near = @{ $sources_in{ dirname($h) } || [] };
  my ($src) = grep { closure($_)->{$h} } @near;
  ($src) = grep { closure($_)->{$h} } @sources unless $src;
  ($src) = @near unless $src;
  unless ($src) { push @orphans, $h; next }
  $flags_of{$h} = $flags_of{$src};
  $dir_of{$h} = $dir_of{$src};
  push @headers, $h;
}

# What parsing a set of headers costs, roughly: Qt's and the test framework's
# headers most, the standard library's more than the project's.
sub weight { my $w = 0; $w += /^<(Q|gtest|gmock|benchmark)/ ? 6 : /^</ ? 2 : 1 for @_; $w }

# Headers worth reading in beforehand in a group: those most of its files include anyway.
my %members;
push @{ $members{ $flags_of{$_} } }, $_ for @sources, @headers;
my %known;
for my $f (@sources, @headers) {
  my %c = %{ closure($f) };
  delete $c{$f};
  # Of the other headers, those the project names and Qt's own (which stand alone).
  delete $c{$_} for grep { /^</ && !$direct{$_} && !(($path_of{$_} // "") =~ m{/Qt\w+/q\w+\.h$} && $_ !~ /_impl\.h>$/) } keys %c;
  # A header is never read in before a header that includes it (nor itself).
  if ($f =~ /\.h$/) { delete $c{$_} for grep { !/^</ && closure($_)->{$f} } keys %c }
  $known{$f} = \%c;
}
my (%pch_of, %pch_set, @pch_jobs);
my $n = 0;
for my $group (sort keys %members) {
  my @m = grep { $leading{$_} } @{ $members{$group} };
  next if @m < 3;
  my %count;
  ++$count{$_} for map { keys %{ $known{$_} } } @m;
  my @common = grep { $count{$_} * 4 >= @m } sort keys %count;
  next unless @common;
  # Each file's part of those; the sets to build are chosen from these and
  # from what the most frequent ones share, for the parsing they save.
  my (%part, %freq);
  for my $f (@m) {
    $part{$f} = { map { $_ => 1 } grep { $known{$f}{$_} } @common };
    ++$freq{ join("\n", sort keys %{ $part{$f} }) };
  }
  my @top = (sort { $freq{$b} <=> $freq{$a} || $a cmp $b } grep { length } keys %freq)[0 .. 14];
  @top = grep { defined } @top;
  my %cand = map { $_ => 1 } grep { length } keys %freq;
  for my $i (0 .. $#top) {
    for my $j ($i + 1 .. $#top) {
      my %b = map { $_ => 1 } split /\n/, $top[$j];
      my $x = join("\n", grep { $b{$_} } split /\n/, $top[$i]);
      $cand{$x} = 1 if length $x;
    }
  }
  my %best = map { $_ => 0 } @m;
  my @chosen;
  while (@chosen < 4) {
    my ($pick, $gain, $users) = (undef, 0, 0);
    for my $x (sort keys %cand) {
      my @h = split /\n/, $x;
      my $w = weight(@h);
      my ($g, $n) = (0, 0);
      for my $f (@m) {
        next if grep { !$part{$f}{$_} } @h;
        ++$n;
        $g += $w - $best{$f} if $w > $best{$f};
      }
      # Building it costs about what parsing it once does.
      ($pick, $gain, $users) = ($x, $g, $n) if $n >= 3 && $g > 2 * $w && $g > $gain;
    }
    last unless defined $pick;
    delete $cand{$pick};
    my @h = split /\n/, $pick;
    my $w = weight(@h);
    for my $f (@m) { $best{$f} = $w if $w > $best{$f} && !grep { !$part{$f}{$_} } @h }
    push @chosen, $pick;
  }
  my %sets = map { $_ => 1 } @chosen;
  my @built;
  for my $set (@chosen) {
    my $id = "pch" . ++$n;
    my $stub = "$work/$id.h";
    open(my $fh, '>', $stub) or die "$stub: $!";
    print $fh map { /^</ ? "#include $_\n" : "#include \"" . spelling($_) . "\"\n" } split /\n/, $set;
    close $fh;
    my ($flags, $d) = ($group, $dir_of{ $m[0] });
    write_job(\@pch_jobs, $id, "the precompiled header $id",
              "$flags -x c++-header $stub -o $work/$id.part && mv $work/$id.part $work/$id.pch", $d, 1);
    push @built, [$id, { map { $_ => 1 } split /\n/, $set }];
    $pch_set{$id} = [split /\n/, $set];
  }
  for my $f (@m) {
    my $best;
    for my $b (@built) {
      next if grep { !$known{$f}{$_} } keys %{ $b->[1] };
      $best = $b if !$best || weight(keys %{ $b->[1] }) > weight(keys %{ $best->[1] });
    }
    $pch_of{$f} = $best->[0] if $best;
  }
}

my @check_jobs;
sub write_job {
  my ($list, $id, $what, $command, $d, $quiet) = @_;
  my $script = "$work/$id.sh";
  open(my $fh, '>', $script) or die "$script: $!";
  print $fh "cd '$d' || exit 1\n";
  print $fh "if ! { $command; } >'$work/$id.log' 2>&1; then\n";
  print $fh $quiet ? "  :\n" : "  echo '$what' >'$work/$id.fail'\n";
  print $fh "fi\n";
  close $fh;
  push @$list, $script;
}
# A header a source opens with, parsed there with nothing before it but
# headers it includes anyway, needs no file of its own.
my %opens;
for my $f (@sources) {
  my $h = $first{$f};
  next unless $h && $h =~ /\.h$/ && !$opens{$h};
  my $p = $pch_of{$f};
  next if $p && grep { !$known{$h}{$_} } @{ $pch_set{$p} };
  $opens{$h} = $f;
}
my %opened_by = reverse %opens;
my $k = 0;
for my $f (@sources, grep { !$opens{$_} } @headers) {
  my $id = "f" . ++$k;
  my $target = "$top/$f";
  if ($f =~ /\.h$/) {
    $target = "$work/$id.cpp";
    open(my $fh, '>', $target) or die "$target: $!";
    print $fh "#include \"" . spelling($f) . "\"\n";
    close $fh;
  }
  my $p = $pch_of{$f};
  my $use = $p ? "\$( [ -f '$work/$p.pch' ] && echo '-include-pch $work/$p.pch')" : "";
  my $what = $opened_by{$f} ? "$f (opening with $opened_by{$f})" : $f;
  write_job(\@check_jobs, $id, $what, "$flags_of{$f} $use -fsyntax-only $target", $dir_of{$f}, 0);
}
for my $h (@orphans) {
  my $id = "f" . ++$k;
  open(my $fh, '>', "$work/$id.fail") or die;
  print $fh "$h (no source of its folder includes it: its flags are unknown)\n";
  close $fh;
  open($fh, '>', "$work/$id.log") or die;
  close $fh;
}
for (['pch.jobs', \@pch_jobs], ['check.jobs', \@check_jobs]) {
  open(my $fh, '>', "$work/$_->[0]") or die;
  print $fh map { "$_\n" } @{ $_->[1] };
  close $fh;
}
for (['sources', scalar @sources], ['headers', scalar @headers]) {
  open(my $fh, '>', "$work/$_->[0]") or die;
  print $fh "$_->[1]\n";
  close $fh;
}
my $shared = grep { $pch_of{$_} } @sources, @headers;
printf "includes: %d sources, %d headers (%d parsed first in a source); "
  . "%d precompiled headers of what files include anyway, used by %d\n",
  scalar @sources, scalar @headers, scalar keys %opens, scalar @pch_jobs, $shared;
