#!/usr/bin/env bash
# A box set up afresh, with no EPG service given: it names the service whose programme
# map lists the EPG PIDs in the plug-in's new settings, so that green shows the
# channel list and the first channel's day as orvalis-mux --list says; also when the
# guide's transponder is not the first one. Without a guide on any stream the
# settings name none and the windows say that the stream carries no guide; such
# settings, found again with the guide on air, are given the service.
set -euo pipefail
build="$(cd "$1" && pwd)"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Rome

"$mux" --start 2026-12-08 --list "$work/week.txt" "$work/week.ts"
"$mux" --start 2026-12-08 --no-epg --tsid 2 "$work/plain.ts"
epg="$("$mux" --print-epg-service)"

run() { # name, keys, streams...
  local name="$1" keys="$2"; shift 2
  local streams=()
  for s in "$@"; do streams+=(--ts "$work/$s.ts"); done
  faketime '2026-12-08 10:30:00' "$box" --root "$work/root-$name" "${streams[@]}" --display headless \
    --dump "$work/$name.jsonl" --screenshot-dir "$work" --keys "$keys" 2> "$work/$name.log" ||
    { cat "$work/$name.log"; echo "FAIL: the box failed on $name"; exit 1; }
}
run week "green ok shot:g exit exit exit" week
run second "green ok" plain week
run plain "green ok red ok" plain
cp -a "$work/root-plain" "$work/root-again"
run again "green ok" week
test -s "$work/g.png"
# The first run as a user types it, in a folder of its own: the root and the shot land there.
mkdir "$work/typed"
(cd "$work/typed" && "$box" --ts ../week.ts --display headless --keys "green ok shot:g exit exit exit" 2> /dev/null) ||
  { echo "FAIL: the box failed on the typed first run"; exit 1; }
test -s "$work/typed/g.png" || { echo "FAIL: shot:g without --screenshot-dir wrote no g.png"; exit 1; }
grep -qi "^EPGService=$epg\$" "$work/typed/box-root/var/tuxbox/plugins/orvalis.cfg" ||
  { echo "FAIL: the typed first run named no EPG service"; exit 1; }

PYTHONPATH="$(dirname "$0")" python3 - "$work" "$epg" <<'PY'
import sys
from screen_dump import by_token, carousel_order, check, finish, lowered, top, week, widget
work, epg = sys.argv[1], sys.argv[2]

def settings(name):
    return open(f"{work}/root-{name}/var/tuxbox/plugins/orvalis.cfg", encoding="utf-8").read().splitlines()

def names_epg(name):  # hexadecimal digits in either case name the same service
    return f"epgservice={epg}".lower() in [l.lower() for l in settings(name)]

channels, titles = week(f"{work}/week.txt")

def shows_week(name):
    by = by_token(f"{work}/{name}.jsonl")
    cw = top(by["green"][0])
    if cw["class"] != "eChanProgramSel":
        check(False, f"{name}: green opens {cw['class']} {cw.get('message', '')!r}")
        return
    names = widget(cw, "events")["rows"]
    check(names == [channels[n] for n in sorted(channels)], f"{name}: channel rows {names[:3]}... ({len(names)})")
    rows = widget(top(by["ok"][0]), "evprogrs")["rows"]
    want = [lowered(t["title"]) for t in titles if t["day"] == 0 and t["ch"] == 1 and carousel_order(t["time"]) >= (10, 0)]
    check(len(want) > 0 and len(rows) == len(want) and all(w in r for w, r in zip(want, rows)),
          f"{name}: first channel's day\n  got  {rows[:3]}...\n  want {want[:3]}... ({len(rows)} vs {len(want)})")

check(names_epg("week"), f"the new settings name the EPG service {epg}: {settings('week')}")
shows_week("week")
check(names_epg("second"), f"the guide's transponder second: {settings('second')}")
shows_week("second")

check(not any(l.startswith("EPGService=") for l in settings("plain")), f"no guide, no EPG service: {settings('plain')}")
by = by_token(f"{work}/plain.jsonl")
msgs = [top(by["green"][0]), top(by["red"][0])]
for m in msgs:
    check(m["class"] == "eMessageBox" and m["message"].startswith("The stream carries no guide."),
          f"without a guide: {m['class']} {m.get('message')!r}")
log = open(f"{work}/plain.log").read()
check("no service of the streams carries the EPG tables" in log, "the box says it found no EPG service")

check(names_epg("again"), f"settings that named no service name it now: {settings('again')}")
check([l for l in settings("again") if not l.startswith("EPGService=")] ==
      [l for l in settings("plain") if not l.startswith("EPGService=")], "the other settings are kept")
shows_week("again")

finish("first run checks passed")
PY
