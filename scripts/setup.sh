#!/usr/bin/env bash
# Installs what building and running Orvalis needs on Debian 12, then configures
# and builds into the given folder (default: build).
#
#   scripts/setup.sh [--test] [--no-build] [BUILD_DIR [CMAKE_ARGS...]]
#
# --test also installs what the tests need (GoogleTest, Google Benchmark, the
# browser and its driver, a virtual X server, ffmpeg, faketime, the XMLTV
# validator, the Debian packaging tools and lintian) and builds the tests and
# benchmarks. --no-build only installs.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tests=0
build_it=1
while [ "${1:-}" = "--test" ] || [ "${1:-}" = "--no-build" ]; do
  [ "$1" = "--test" ] && tests=1
  [ "$1" = "--no-build" ] && build_it=0
  shift
done
build="${1:-$here/build}"
shift || true

# Building and running the box, orvalis-mux and orvalis-xmltv.
packages=(
  build-essential cmake ninja-build pkg-config
  libsigc++-3.0-dev libfreetype-dev fonts-urw-base35 libpng-dev libsdl2-dev
  libdvbv5-dev libcpp-httplib-dev libexpat1-dev zlib1g-dev
)
# The tests on top: unit tests and benchmarks, the browser test (chromium driven by
# python3-selenium through chromium-driver), the window test (Xvfb, xdotool), the
# capture test (ffprobe), clock tests (faketime), the XMLTV check (tv_validate_file),
# the Debian package (dpkg-buildpackage with debhelper, lintian, autopkgtest, file)
# and its manual pages (man-db), and clang for the fuzz targets.
test_packages=(
  libgtest-dev libbenchmark-dev python3 git
  chromium chromium-driver python3-selenium
  xvfb xauth xdotool x11-apps ffmpeg faketime xmltv-util dpkg-dev debhelper lintian autopkgtest file man-db
  clang libclang-rt-14-dev
)
if ((tests)); then
  packages+=("${test_packages[@]}")
fi

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

((build_it)) || exit 0
if ((tests)); then
  set -- -DORVALIS_TESTS=ON "$@"
fi
cmake -S "$here" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
