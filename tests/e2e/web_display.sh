#!/usr/bin/env bash
# The box's browser display, end to end: the real box with --display web, driven by
# chromium through Debian's python3-selenium and chromium-driver (tests/web).
# Arguments: build dir, test data dir.
set -u
build=${1:?usage: web_display.sh BUILD_DIR [TEST_DATA_DIR]}
here=$(cd "$(dirname "$0")" && pwd)
web="$here/../web"

if [ ! -x /usr/bin/chromium ]; then
    echo "SKIP: /usr/bin/chromium is not installed"
    exit 0
fi
box="$build/src/box/box"
if [ ! -x "$box" ]; then
    echo "FAIL: the box is not built ($box)"
    exit 1
fi
if [ ! -x /usr/bin/chromedriver ]; then
    echo "FAIL: /usr/bin/chromedriver is not installed (Debian package chromium-driver)"
    exit 1
fi
if ! /usr/bin/python3 -c 'import selenium' 2> /dev/null; then
    echo "FAIL: python3-selenium is not installed"
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# A service is playing, as the timer editor requires for a timer to be stored.
"$build/src/mux/orvalis-mux" "$root/week.ts" || exit 1
timeout 300 /usr/bin/python3 "$web/web_display.py" "$box" "$root" --ts "$root/week.ts"
status=$?
if [ $status -eq 124 ]; then
    echo "FAIL: the browser test did not finish within 300 s"
fi
exit $status
