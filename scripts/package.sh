#!/usr/bin/env bash
# Builds the Debian package as a clean clone would (dpkg-buildpackage -us -uc -b on a
# copy of the files git tracks), and checks it with lintian: no error and no warning.
#
#   scripts/package.sh [--install]
#
# --install then runs the package's autopkgtest (debian/tests) on this machine:
# autopkgtest installs the package and what the test needs and runs the installed
# programs; the package is removed again afterwards. It needs root.
# The package and the build logs are left in build-deb/ (ORVALIS_PACKAGE_DIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
install=0
if [ "${1:-}" = "--install" ]; then
  install=1
  shift
fi
out="${ORVALIS_PACKAGE_DIR:-$here/build-deb}"

# debhelper, lintian and the test's tools come with the test packages.
bash "$here/scripts/setup.sh" --test --no-build

rm -rf "$out"
mkdir -p "$out/orvalis"
git -C "$here" ls-files -z | (cd "$here" && tar --null -T - -cf -) | tar -xf - -C "$out/orvalis"
echo "Building the package in $out"
(cd "$out/orvalis" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc -b > "$out/build.log" 2>&1) ||
  { tail -n 60 "$out/build.log"; echo "package: dpkg-buildpackage failed (log: $out/build.log)"; exit 1; }
deb=$(ls "$out"/orvalis_*.deb)
echo "Built $deb"

# Lintian's own verdict: every tag it finds is printed; errors and warnings fail.
lintian --fail-on error,warning --info "$deb" | tee "$out/lintian.log"
echo "lintian: no error and no warning"

if ((install)); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  status=0
  $sudo autopkgtest "$deb" "$out/orvalis" -- null || status=$?
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq orvalis > /dev/null
  ((status == 0)) || { echo "package: autopkgtest failed with status $status"; exit 1; }
  echo "package: autopkgtest passed"
fi
