#!/usr/bin/env bash
# Lists the project's C++ sources and headers, one a line, relative to the
# top folder: the files git knows (and new ones it does not ignore), or every
# one outside the build folders when this is no git checkout.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
    while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done
else
  find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||'
fi
