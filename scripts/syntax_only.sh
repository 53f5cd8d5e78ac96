#!/usr/bin/env bash
# Compiler launcher of scripts/check_includes.sh: a source is only checked,
# alone, and leaves an empty object; precompiled headers are built as usual.
out=""
prev=""
for a in "$@"; do
  [ "$prev" = "-o" ] && out="$a"
  prev="$a"
done
case "$out" in
  *.pch | "") exec "$@" ;;
  *.o) "$@" -fsyntax-only || exit $?; : >"$out" ;;
  *) exec "$@" ;;
esac
