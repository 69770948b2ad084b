#!/usr/bin/env bash
# The first run in the window and the browser displays: a box set up afresh on the
# sample week, given only the stream, shows after green and OK the same screen as
# the headless first run (the channel list and the first channel's day), pixel for
# pixel. Arguments: build dir.
set -u
build=$(cd "${1:?usage: window_and_web_first_run.sh BUILD_DIR}" && pwd)
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
fail() { echo "FAIL: $*"; [ -n "${log:-}" ] && [ -f "$log" ] && tail -n 20 "$log"; exit 1; }

if [ -z "${ORVALIS_UNDER_XVFB:-}" ]; then
    for tool in xvfb-run xdotool xwd ffmpeg faketime; do
        command -v $tool > /dev/null || fail "$tool is not installed"
    done
    ORVALIS_UNDER_XVFB=1 timeout 240 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
    status=$?
    [ $status -eq 124 ] && echo "FAIL: the test did not finish within 240 s"
    exit $status
fi

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2> /dev/null && wait "$pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export TZ=Europe/Rome
at='2026-12-08 10:30:00'
cd "$work"
"$mux" --start 2026-12-08 week.ts
pixels() { ffmpeg -loglevel error -i "$1" -f rawvideo -pix_fmt rgb24 - 2> /dev/null | md5sum | cut -d' ' -f1; }

faketime "$at" "$box" --root headless --ts week.ts --display headless --keys "green ok shot:g" \
    --screenshot-dir . 2> headless.log || fail "the headless box failed"
want=$(pixels g.png)
[ -n "$want" ] && [ -s g.png ] || fail "no headless screenshot"

# Polls a screen grab (a command writing FILE) until it shows the headless screen.
shows_week() { # what, grab command...
    local what=$1
    shift
    for _ in $(seq 100); do
        "$@" shot.png 2> /dev/null && [ "$(pixels shot.png)" = "$want" ] && return 0
        sleep 0.2
    done
    cp shot.png "$what-last.png" 2> /dev/null
    fail "the $what display does not show the first channel's day of the sample week"
}

# The browser display: keys as the page posts them, the screen as it fetches it.
log=web.log
faketime "$at" "$box" --root web --ts week.ts --display web --listen 127.0.0.1:0 > web.log 2>&1 &
pid=$!
for _ in $(seq 150); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' web.log | head -n 1)
    [ -n "$url" ] && break
    sleep 0.2
done
[ -n "$url" ] || fail "the web display did not say where it listens"
python3 - "$url" <<'PY' || fail "the web display did not take the keys"
import sys, urllib.request
for key in ("green", "ok"):
    urllib.request.urlopen(urllib.request.Request(sys.argv[1] + "key", data=key.encode(), method="POST"), timeout=10)
PY
grab_web() { python3 -c 'import sys, urllib.request; open(sys.argv[2], "wb").write(urllib.request.urlopen(sys.argv[1] + "screen.png", timeout=5).read())' "$url" "$1"; }
shows_week web grab_web
kill "$pid"; wait "$pid" 2> /dev/null; pid=

# The window display: keys pressed on the keyboard, the window's own pixels.
log=window.log
faketime "$at" "$box" --root window --ts week.ts --display window > window.log 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --name "Orvalis box" 2> /dev/null | head -n 1)
[ -n "$wid" ] || fail "no window"
timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
sleep 1
timeout 10 xdotool key F2 Return || fail "xdotool could not press F2 and Enter"
grab_window() { xwd -id "$wid" -silent > shot.xwd && ffmpeg -loglevel error -y -i shot.xwd "$1"; }
shows_week window grab_window
echo "the window and the browser displays show the sample week on the first run"
