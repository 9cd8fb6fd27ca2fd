#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, only what is missing.
# Usage: tools/deps.sh [demo]   (demo adds Xvfb and the screenshot tools)
set -euo pipefail
trap 'echo "deps.sh: line $LINENO failed" >&2' ERR
want=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 halibut
      googletest clang clang-14 libclang-rt-14-dev
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wixl msitools zip unzip file)
[ "${1:-}" = demo ] && want+=(xvfb xauth x11-utils imagemagick fonts-wine)
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
