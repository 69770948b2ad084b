#!/usr/bin/env bash
# Builds the parts of Orvalis that do not draw (transport streams, demux, the
# plug-in's table decoders and files, the sample broadcast generator) for 32-bit
# big-endian PowerPC with Debian's cross compiler and runs their tests under
# qemu-ppc. A small native build supplies the file writer that the PowerPC build
# compares its written files with, byte for byte.
#
#   scripts/test-ppc.sh [CTEST ARGS...]      e.g. scripts/test-ppc.sh -R RequestCodes
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="${ORVALIS_CORE_BUILD:-$here/build-core}"
ppc="${ORVALIS_PPC_BUILD:-$here/build-ppc}"
jobs="$(nproc)"

packages=(build-essential cmake ninja-build g++-powerpc-linux-gnu qemu-user googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== native core build (reference file writer)"
cmake -S "$here" -B "$native" -G Ninja -DORVALIS_CORE_ONLY=ON "${launcher[@]}" >/dev/null
cmake --build "$native" -j"$jobs" --target write_plugin_files

echo "== PowerPC core build"
cmake -S "$here" -B "$ppc" -G Ninja -DORVALIS_CORE_ONLY=ON \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/powerpc-linux-gnu.cmake" \
  -DORVALIS_NATIVE_WRITER="$native/tests/portable/write_plugin_files" "${launcher[@]}" |
  { grep "leaves out" || true; }
cmake --build "$ppc" -j"$jobs"

echo "== PowerPC tests under qemu-ppc"
ctest --test-dir "$ppc" --output-on-failure -j"$jobs" "$@"
