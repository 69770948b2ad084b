#!/usr/bin/env bash
# The box's browser display, end to end: the real box with --display web, driven by
# chromium through playwright-core (tests/web). Arguments: build dir, shared dir.
set -u
build=${1:?usage: web_display.sh BUILD_DIR [SHARED_DIR]}
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
if ! command -v node > /dev/null; then
    echo "FAIL: node is not installed"
    exit 1
fi
if [ ! -f "$web/node_modules/playwright-core/package.json" ]; then
    if ! (cd "$web" && timeout 300 npm ci --no-audit --no-fund --loglevel=error); then
        echo "FAIL: cannot install playwright-core into $web/node_modules"
        exit 1
    fi
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# A known service that plays at start: the timer editor refuses timers without one.
mkdir -p "$root/var/tuxbox/config"
printf '1:0:1:1:1:1:820000:0:0:0:\tWeb test\n' > "$root/var/tuxbox/config/services"
timeout 300 node "$web/web_display.mjs" "$box" "$root"
status=$?
if [ $status -eq 124 ]; then
    echo "FAIL: the browser test did not finish within 300 s"
fi
exit $status
