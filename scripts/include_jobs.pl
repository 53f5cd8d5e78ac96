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

# Direct includes of a project file outside #if, resolved to project files
# where they are ones; other headers stay as their spelling in <>. Also
# whether all of them come before the file's own code.
my (%deps, %leading);
sub scan {
  my ($f) = @_;
  return if exists $deps{$f};
  my $s = slurp("$top/$f");
  $s =~ s{/\*.*?\*/}{ (my $m = $&) =~ s/[^\n]//g; $m }gse;
  my ($depth, $code, $ok, @d) = (0, 0, 1);
  for my $line (split /\n/, $s) {
    $line =~ s{//.*}{};
    next if $line =~ /^\s*$/;
    if ($line =~ /^\s*#\s*(if|ifdef|ifndef)\b/) { ++$depth; $ok = 0 unless $code; next }
    if ($line =~ /^\s*#\s*endif\b/) { --$depth; next }
    if ($line =~ /^\s*#\s*include\s*([<"])([^>"]+)[>"]/) {
      my ($kind, $inc) = ($1, $2);
      $ok = 0 if $code;
      next if $depth > 0;
      my $here = dirname($f);
      my ($hit) = grep { $is_file{$_} } ($kind eq '"' ? ("$here/$inc") : ()), $inc, "tests/$inc";
      if ($hit) { $hit =~ s{(^|/)\./}{$1}g; push @d, $hit } else { push @d, "<$inc>" }
      next;
    }
    next if $line =~ /^\s*#\s*pragma\s+once\b/;
    $code = 1;
  }
  $deps{$f} = \@d;
  $leading{$f} = $ok;
}

# Every header a file includes, directly or through project headers, outside #if.
my %closure;
sub closure {
  my ($f) = @_;
  return $closure{$f} if $closure{$f};
  my %seen;
  my @todo = ($f);
  while (@todo) {
    my $x = pop @todo;
    next if $x =~ /^</;
    scan($x);
    for my $d (@{ $deps{$x} }) { push @todo, $d unless $seen{$d}++ }
  }
  $closure{$f} = \%seen;
}

# Groups from the compile commands: the flags without output, dependencies and sanitizers.
my $cc = decode_json(slurp($commands));
my (%flags_of, %dir_of, @sources, %sources_in);
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
  $flags_of{$file} = join(' ', @keep);
  $dir_of{$file} = $e->{directory};
  push @sources, $file;
  push @{ $sources_in{ dirname($file) } }, $file;
}

# A header takes the group of a source of its own folder, else of the first source that includes it.
my (@headers, @orphans);
for my $h (sort grep { /\.h$/ } @files) {
  my ($src) = @{ $sources_in{ dirname($h) } || [] };
  ($src) = grep { closure($_)->{$h} } @sources unless $src;
  unless ($src) { push @orphans, $h; next }
  $flags_of{$h} = $flags_of{$src};
  $dir_of{$h} = $dir_of{$src};
  push @headers, $h;
}

# Headers worth reading in beforehand in a group: those most of its files include anyway.
my %members;
push @{ $members{ $flags_of{$_} } }, $_ for @sources, @headers;
my %known;
for my $f (@sources, @headers) {
  my %c = %{ closure($f) };
  delete $c{$f};
  # A header is never read in before a header that includes it (nor itself).
  if ($f =~ /\.h$/) { delete $c{$_} for grep { !/^</ && closure($_)->{$f} } keys %c }
  $known{$f} = \%c;
}
my (%pch_of, @pch_jobs);
my $n = 0;
for my $group (sort keys %members) {
  my @m = grep { $leading{$_} } @{ $members{$group} };
  next if @m < 3;
  my %count;
  ++$count{$_} for map { keys %{ $known{$_} } } @m;
  my @common = grep { $count{$_} * 3 >= @m * 2 } sort keys %count;
  next unless @common;
  # The sets the files would take, the most shared first; each file takes the
  # largest one built that holds nothing it does not include.
  my %sets;
  for my $f (@m) {
    my $set = join("\n", grep { $known{$f}{$_} } @common);
    push @{ $sets{$set} }, $f if length $set;
  }
  my @built;
  for my $set (sort { @{ $sets{$b} } <=> @{ $sets{$a} } || $a cmp $b } keys %sets) {
    last if @built == 4 || @{ $sets{$set} } < 3;
    my $id = "pch" . ++$n;
    my $stub = "$work/$id.h";
    open(my $fh, '>', $stub) or die "$stub: $!";
    print $fh map { /^</ ? "#include $_\n" : "#include \"" . spelling($_) . "\"\n" } split /\n/, $set;
    close $fh;
    my ($flags, $d) = ($group, $dir_of{ $m[0] });
    write_job(\@pch_jobs, $id, "the precompiled header $id",
              "$flags -x c++-header $stub -o $work/$id.part && mv $work/$id.part $work/$id.pch", $d, 1);
    push @built, [$id, { map { $_ => 1 } split /\n/, $set }];
  }
  for my $f (@m) {
    my $best;
    for my $b (@built) {
      next if grep { !$known{$f}{$_} } keys %{ $b->[1] };
      $best = $b if !$best || keys %{ $b->[1] } > keys %{ $best->[1] };
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
my $k = 0;
for my $f (@sources, @headers) {
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
  write_job(\@check_jobs, $id, $f, "$flags_of{$f} $use -fsyntax-only $target", $dir_of{$f}, 0);
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
printf "includes: %d sources, %d headers; %d precompiled headers of what files include anyway, used by %d\n",
  scalar @sources, scalar @headers, scalar @pch_jobs, $shared;
