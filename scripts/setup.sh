#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the missing Debian packages,
# configures and builds one build folder. Safe to run again: it installs
# nothing that is there and rebuilds only what changed.
#   scripts/setup.sh <build-dir> [extra cmake arguments...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
shift

packages=(
  g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev libsdl2-dev
  libopenal-dev libode-dev libvorbis-dev libogg-dev libpng-dev libjpeg-dev
  zlib1g-dev libfreetype-dev fonts-dejavu-core libgl-dev libegl-dev
  libgl1-mesa-dri libegl-mesa0 xvfb xauth xdotool x11-apps clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$root/$build/build.ninja" ]; then
  cmake -S "$root" -B "$root/$build" -G Ninja "$@"
fi
cmake --build "$root/$build"
