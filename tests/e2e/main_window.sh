#!/usr/bin/env bash
# Drives the built box headless as a user would and checks what the screen dump
# says: the main window as built on 8 December 2026, the timer list behind the
# digit 0, the table reads of red and green, and plugin_exec returning 0.
set -euo pipefail
build="$1"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Rome

run() { # name, extra box arguments...
  local name="$1"; shift
  faketime '2026-12-08 10:00:00' "$box" --quiet --root "$work/root-$name" --dump "$work/$name.jsonl" \
    --screenshot-dir "$work" "$@"
}

# Without any stream the box has no demux.
run nodemux --keys "shot:main 0 exit red ok green ok"
# The sample broadcast, and the same transponder without the EPG tables.
"$mux" --start 2026-12-08 "$work/sample.ts"
"$mux" --start 2026-12-08 --no-epg "$work/noepg.ts"
epg="$("$mux" --print-epg-service)"
run sample --ts "$work/sample.ts" --service "$epg" --epg-service "$epg" --keys "red exit green"
run noepg --ts "$work/noepg.ts" --service "$epg" --epg-service "$epg" --keys "green ok red ok"
test -s "$work/main.png"

python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

def steps(name):
    return [json.loads(l) for l in open(f"{work}/{name}.jsonl")]

def windows(step):
    return step["screen"]["windows"]

def top(step):
    w = windows(step)
    return w[-1] if w else None

def widgets(win):
    return win.get("widgets", [])

# The main window as its constructor builds it.
s = steps("nodemux")
main = top(s[0])
check(main["class"] == "eOrvalis", "main window class")
labels = [w for w in widgets(main) if w["class"] == "eLabel"]
legends = [(w["text"], w["x"], w["y"], w["w"], w["h"], w["background"], w["align"], w["flags"]) for w in labels[:4]]
cw = main["client"]["w"]
check(legends == [("Themes", 10, 10, cw - 20, 40, "std_dred", 2, 0x40),
                  ("Channels", 10, 55, cw - 20, 40, "std_dgreen", 2, 0x40),
                  ("Bouquets", 10, 100, cw - 20, 40, "std_dyellow", 2, 0x40),
                  ("Search", 10, 145, cw - 20, 40, "std_dblue", 2, 0x40)], f"legends {legends}")
date = labels[4]
check((date["text"], date["x"], date["y"], date["w"], date["h"], date["align"]) == ("Tue  08-12-2026", 0, 190, cw, 30, 2),
      f"date label {date}")
button = [w for w in widgets(main) if w["class"] == "eButton"][0]
check((button["text"], button["x"], button["y"], button["w"], button["h"], button["help"]) ==
      ("Setup", 0, 225, cw, 30, "Orvalis setup"), f"setup button {button}")
check(main["focus"]["text"] == "Setup", "the Setup button has the focus")
bar = [w for w in widgets(main) if w["class"] == "eStatusBar"][0]
check((bar["y"], bar["h"], bar["w"], bar["shows"]) == (main["client"]["h"] - 40, 40, cw, "Orvalis setup"), f"status bar {bar}")

by_token = {}
for st in s:
    by_token.setdefault(st["token"], []).append(st)
check(top(by_token["0"][0])["class"] == "eTimerListView", "digit 0 opens the timer list")
check(top(by_token["exit"][0])["class"] == "eOrvalis", "exit in the timer list returns to the main window")
red = top(by_token["red"][0])
check(red["class"] == "eMessageBox" and red["title"] == "LOG Error:" and red["message"] == "Can't open DEMUX device."
      and red["icon"] == "error", f"red without demux: {red}")
green = top(by_token["green"][0])
check(green["class"] == "eMessageBox" and green["message"] == "Can't open DEMUX device." and green["icon"] == "warning",
      f"green without demux: {green}")
check(s[-1]["token"] == "(end)" and s[-1]["plugin_exec"] == 0 and windows(s[-1]) == [], "plugin_exec returns 0")

# On the sample broadcast both reads succeed silently and open their views.
s = steps("sample")
opened = [top(st)["class"] for st in s if st["token"] in ("red", "green")]
check(opened == ["eChanThemeSel", "eChanProgramSel"], f"sample: red and green open {opened}")

# Without the EPG tables the reads time out and say so.
s = steps("noepg")
msgs = [top(st) for st in s if st["token"] in ("green", "red")]
check(msgs[0]["message"] == "Channels not found.\nCheck EPG channel." and msgs[0]["icon"] == "warning", f"noepg green {msgs[0]}")
check(msgs[1]["message"] == "Themes not found.\nCheck EPG channel." and msgs[1]["icon"] == "error", f"noepg red {msgs[1]}")

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("main window checks passed")
PY
