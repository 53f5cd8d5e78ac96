#!/usr/bin/env bash
# Fails when a C++ source is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
if ! printf '%s\0' "${existing[@]}" | xargs -0 -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>/tmp/format-check.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' | head -50
  rm -f /tmp/format-check.$$
  echo "FAILED: run clang-format -i on the files above"
  exit 1
fi
rm -f /tmp/format-check.$$
echo "formatting: ${#existing[@]} files checked"
