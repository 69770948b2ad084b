#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first a normal build,
# then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh --test "$here/build"
ctest --test-dir "$here/build" --output-on-failure --no-tests=error -j2

bash scripts/setup.sh --test "$here/build-asan" -DORVALIS_SANITIZE=ON -DORVALIS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
# The browser and window tests drive the same box as above; under the sanitizers
# only the unit and box-level tests run (the package is built from the normal
# build). faketime's preload comes before the ASan runtime, which is harmless here.
ASAN_OPTIONS=verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure --no-tests=error -j2 -E '^e2e_(web|window|debian_package)'
