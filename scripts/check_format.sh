#!/usr/bin/env bash
# Fails when a C++ source is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t existing < <(scripts/sources.sh)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! printf '%s\0' "${existing[@]}" | xargs -0 -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>"$report"; then
  grep -E '^[^ ].*: (error|warning):' "$report" | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' | head -50
  echo "FAILED: run clang-format -i on the files above"
  exit 1
fi
echo "formatting: ${#existing[@]} files checked"
