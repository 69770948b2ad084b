#!/usr/bin/env bash
# Builds the Debian package as a clean clone would (dpkg-buildpackage -us -uc -b on a
# copy of the files git tracks), and checks it with lintian: no error and no warning.
#
#   scripts/package.sh [--install]
#
# --install then installs the package with apt, runs the installed-program test
# (debian/tests/installed-programs) and removes the package again; it needs root.
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
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" > "$out/install.log"
  status=0
  (cd "$out/orvalis" && debian/tests/installed-programs) || status=$?
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq orvalis > /dev/null
  exit $status
fi
