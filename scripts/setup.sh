#!/usr/bin/env bash
# Installs what building, running and testing Orvalis needs on Debian 12, then
# configures and builds into the given folder (default: build).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
shift || true

packages=(
  build-essential cmake ninja-build pkg-config git
  libsigc++-3.0-dev libfreetype-dev fonts-urw-base35 libpng-dev libsdl2-dev
  libdvbv5-dev libdvbpsi-dev libcpp-httplib-dev libgtest-dev libbenchmark-dev
  ffmpeg xvfb xauth xdotool x11-apps faketime chromium clang libclang-rt-14-dev python3
)
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
