#!/usr/bin/env bash
# The box's window display, end to end, on a virtual X server: the window opens,
# shows the plug-in, reacts to keys pressed on the keyboard, and exit in the main
# window ends the box. Arguments: build dir, test data dir.
set -u
build=${1:?usage: window_display.sh BUILD_DIR [TEST_DATA_DIR]}
box="$build/src/box/box"

fail() {
    echo "FAIL: $*"
    [ -n "${log:-}" ] && [ -f "$log" ] && { echo "--- box output ---"; tail -n 40 "$log"; }
    exit 1
}

if [ -z "${ORVALIS_UNDER_XVFB:-}" ]; then
    for tool in xvfb-run xdotool xwd; do
        command -v $tool > /dev/null || fail "$tool is not installed (packages xvfb, xdotool, x11-apps)"
    done
    [ -x "$box" ] || fail "the box is not built ($box)"
    ORVALIS_UNDER_XVFB=1 timeout 240 xvfb-run -a -s "-screen 0 1600x1280x24" bash "$0" "$@"
    status=$?
    [ $status -eq 124 ] && echo "FAIL: the window test did not finish within 240 s"
    exit $status
fi

# From here on we are inside the virtual X server.
root=$(mktemp -d)
log="$root/box.log"
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then
        kill "$pid" 2> /dev/null
        sleep 1
        kill -9 "$pid" 2> /dev/null
    fi
    rm -rf "$root"
}
trap cleanup EXIT

# A fingerprint of everything on the X screen.
snap() { xwd -root -silent | md5sum | cut -d' ' -f1; }

# Prints the fingerprint once the screen has been still for a moment (at most 8 s).
settled() {
    local now next calm=0
    now=$(snap)
    for _ in $(seq 50); do
        sleep 0.15
        next=$(snap)
        if [ "$next" = "$now" ]; then
            calm=$((calm + 1))
            [ $calm -ge 4 ] && break
        else
            calm=0
            now=$next
        fi
    done
    echo "$now"
}

# Waits (at most 15 s) until the screen differs from $1 and then settles; prints
# the fingerprint then.
changed_from() {
    local before=$1 tries=${2:-150}
    for _ in $(seq "$tries"); do
        [ "$(snap)" != "$before" ] && { settled; return 0; }
        sleep 0.1
    done
    return 1
}

key() {
    local before
    before=$(snap)
    timeout 10 xdotool key "$1" || fail "xdotool could not press $1"
    changed_from "$before" || fail "the window did not change after $1"
}

"$box" --root "$root" --display window > "$log" 2>&1 &
pid=$!

wid=$(timeout 30 xdotool search --sync --name "Orvalis box" 2> /dev/null | head -n 1)
[ -n "$wid" ] || fail "no box window appeared"
timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the box window"
# The window opens black; the plug-in's main window follows (unless it was there
# before the first look).
first=$(snap)
main=$(changed_from "$first" 30) || main=$(settled)
kill -0 "$pid" 2> /dev/null || fail "the box ended at once"

# Green (F2) opens a window of the plug-in; exit (Escape) leads back.
green=$(key F2)
[ "$green" != "$main" ] || fail "F2 did not change the screen"
back=
for _ in 1 2 3 4; do
    back=$(key Escape)
    [ "$back" = "$main" ] && break
done
[ "$back" = "$main" ] || fail "Escape never led back to the main window"

# The digit 0 opens the timer list; Escape closes it again.
timers=$(key 0)
[ "$timers" != "$main" ] || fail "0 did not open anything"
back=$(key Escape)
[ "$back" = "$main" ] || fail "Escape did not close the timer list"

# Exit in the main window ends the plug-in, and with it the box.
timeout 10 xdotool key Escape || fail "xdotool could not press Escape"
for _ in $(seq 100); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2> /dev/null && fail "the box did not end after exit in the main window"
wait "$pid"
status=$?
pid=
[ $status -eq 0 ] || fail "the box ended with status $status"

# --scale 2 opens the window at twice the screen's size.
"$box" --root "$root" --display window --scale 2 > "$log" 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --name "Orvalis box" 2> /dev/null | head -n 1)
[ -n "$wid" ] || fail "no window appeared with --scale 2"
size=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: *//p')
[ "$size" = "1440x1152" ] || fail "--scale 2 opened a window of $size instead of 1440x1152"
timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot focus the box window"
settled > /dev/null
timeout 10 xdotool key Escape || fail "xdotool could not press Escape"
for _ in $(seq 100); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2> /dev/null && fail "the box did not end after exit (--scale 2)"
pid=
echo "window display: all checks passed"
