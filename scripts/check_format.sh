#!/usr/bin/env bash
# Fails when a C++ source is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t existing < <(scripts/sources.sh)
if ! printf '%s\0' "${existing[@]}" | xargs -0 -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>/tmp/format-check.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' | head -50
  rm -f /tmp/format-check.$$
  echo "FAILED: run clang-format -i on the files above"
  exit 1
fi
rm -f /tmp/format-check.$$
echo "formatting: ${#existing[@]} files checked"
