#!/usr/bin/env bash
# Installs the build and test dependencies with apt-get when any is missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libxkbcommon-dev
      libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev fonts-dejavu-core fonts-dejavu-extra
      libchm-dev fp-utils poppler-utils clang-format fonts-droid-fallback clang libclang-rt-14-dev lld
      unicode-data sqlite3)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
