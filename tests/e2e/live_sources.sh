#!/usr/bin/env bash
# The box on live sources: a pipe names the same services as the file it carries,
# a pipe that ends without packets and a device of zeros are refused with the reason,
# and --help says which inputs start over.
set -uo pipefail
build="$1"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$mux" --start 2026-12-08 "$work/sample.ts"
"$box" --quiet --root "$work/root" --ts "$work/sample.ts" --list-services >"$work/file.txt" || fail "file scan"
"$box" --quiet --root "$work/root" --ts - --list-services <"$work/sample.ts" >"$work/redirected.txt" || fail "redirected scan"
# The writer may find the pipe closed once the box has what it needs.
cat "$work/sample.ts" 2>/dev/null | "$box" --quiet --root "$work/root" --ts - --list-services >"$work/pipe.txt"
[ "${PIPESTATUS[1]}" = 0 ] || fail "pipe scan"
test -s "$work/file.txt" || fail "no services in the file"
cmp -s "$work/file.txt" "$work/pipe.txt" || fail "the pipe names other services: $(diff "$work/file.txt" "$work/pipe.txt")"
cmp -s "$work/file.txt" "$work/redirected.txt" || fail "standard input from the file names other services"

refused() { # text in standard error, box arguments...
  local text="$1"; shift
  "$box" --quiet --root "$work/root" "$@" --keys exit >/dev/null 2>"$work/err" </dev/null
  local got=$?
  [ "$got" = 2 ] && grep -qF -- "$text" "$work/err" || fail "box $* gave $got and said: $(cat "$work/err")"
}
refused "/dev/zero holds no transport stream packets (no sync byte pattern in its first 4 MB)" --ts /dev/zero
printf 'not a stream' >"$work/junk"
cat "$work/junk" | refused "standard input ended before its first transport stream packet" --ts -

"$box" --help | grep -q "start over at their end" || fail "--help does not say which inputs start over"
exit $((failures > 0))
