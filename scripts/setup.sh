#!/usr/bin/env bash
# Installs from Debian's packages everything the build, the program and the tests need, and
# any further packages named as arguments (the benchmarks' own). Quick when all of it is
# already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev fonts-ipafont-gothic
  libimagequant-dev
  ffmpeg mediainfo gstreamer1.0-tools gstreamer1.0-plugins-good imagemagick
  xvfb xauth openbox clang-14 libclang-rt-14-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
