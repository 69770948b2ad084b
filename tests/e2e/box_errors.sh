#!/usr/bin/env bash
# The box's answers to unusable input and output: a --ts that is empty, not a
# transport stream or missing says why; a dump or screenshot that cannot be
# written makes the exit status non-zero unless --ignore-output-errors.
set -uo pipefail
build="$1"
box="$build/src/box/box"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
expect() { # status, text in standard error, box arguments...
  local want="$1" text="$2"; shift 2
  "$box" --quiet --root "$work/root" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" != "$want" ] || { [ -n "$text" ] && ! grep -qF -- "$text" "$work/err"; }; then
    echo "FAIL: box $* gave $got (wanted $want) and said: $(cat "$work/err")"
    failures=$((failures + 1))
  fi
}
: >"$work/empty.ts"
echo "not a stream" >"$work/text.ts"
expect 2 "the file is empty" --ts "$work/empty.ts" --keys exit
expect 2 "not an MPEG transport stream" --ts "$work/text.ts" --keys exit
expect 2 "No such file or directory" --ts "$work/missing.ts" --keys exit
expect 4 "No space left on device" --keys exit --dump /dev/full
expect 0 "" --keys exit --dump /dev/full --ignore-output-errors
expect 0 "" --keys "shot:main exit" --screenshot-dir "$work/nowhere"
test -s "$work/nowhere/main.png" || { echo "FAIL: no screenshot in the created folder"; failures=$((failures + 1)); }
expect 0 "" --keys "shot:main exit" --screenshot-dir "$work"
test -s "$work/main.png" || { echo "FAIL: no screenshot"; failures=$((failures + 1)); }
# A FIFO given as the skin is passed over (the built-in skin), not waited on for ever.
mkfifo "$work/skin"
timeout 20 "$box" --quiet --root "$work/root" --skin "$work/skin" --keys exit ||
  { echo "FAIL: a FIFO as the skin"; failures=$((failures + 1)); }
mkdir -p "$work/empty-root/var/tuxbox/plugins"
: >"$work/empty-root/var/tuxbox/plugins/orvalis.cfg"
expect 2 "orvalis.cfg is empty, so it does not describe a plug-in" --root "$work/empty-root" --keys exit
exit $((failures > 0))
