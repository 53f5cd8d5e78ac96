#!/usr/bin/env bash
# Fails when a C++ source is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
# The settings are named outright: clang-format would otherwise look for them
# above each file's absolute path, which a mount over one of its folders can hide.
settings="$PWD/.clang-format"
if [ ! -r "$settings" ]; then
  echo "FAILED: no clang-format settings at $settings"
  exit 1
fi
if ! clang-format --style="file:$settings" --dump-config >/dev/null 2>&1; then
  echo "FAILED: clang-format cannot read its settings at $settings"
  exit 1
fi
mapfile -t existing < <(scripts/sources.sh)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! printf '%s\0' "${existing[@]}" |
    xargs -0 -P "$(nproc)" -n 50 clang-format --style="file:$settings" --dry-run --Werror 2>"$report"; then
  # awk reads to the end, so no part of the pipe dies early
  grep -E '^[^ ].*: (error|warning):' "$report" | cut -d: -f1 | sort -u |
    awk 'NR <= 50 { print "not formatted: " $0 } END { if (NR > 50) print "... and " NR - 50 " more" }'
  echo "FAILED: run clang-format -i on the files above"
  exit 1
fi
echo "formatting: ${#existing[@]} files checked"
