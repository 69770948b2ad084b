#!/usr/bin/env bash
# Browses the sample week headless as a user would and compares what the screen dump
# shows with the week that orvalis-mux --list describes: red, a theme, OK; the day
# combo; green, a channel, OK; digit 0; a second start of the plug-in; and the same
# at 03:00, when the broadcast day on screen is yesterday's.
set -euo pipefail
build="$1"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Rome

"$mux" --start 2026-12-08 --list "$work/week.txt" "$work/week.ts"
"$mux" --start 2026-12-07 --list "$work/early.txt" "$work/early.ts"
epg="$("$mux" --print-epg-service)"

run() { # name, time, stream, keys
  faketime "$2" "$box" --root "$work/root-$1" --ts "$work/$3.ts" --service "$epg" --epg-service "$epg" \
    --display headless --dump "$work/$1.jsonl" --screenshot-dir "$work" --keys "$4" 2>"$work/$1.log"
}

# Red, the first theme, OK; blue opens the day combo, down and OK pick the next day;
# digit 0 moves to the left column. Then, after leaving, the plug-in is started again:
# green, down to the second channel, OK.
run day '2026-12-08 10:30:00' week \
  "red ok shot:theme 0 blue down ok exit exit exit green down ok exit exit red ok"
run early '2026-12-08 03:00:00' early "red ok"

python3 - "$work" <<'PY'
import json, re, sys
work = sys.argv[1]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

def steps(name):
    return [json.loads(l) for l in open(f"{work}/{name}.jsonl")]

def top(step):
    w = step["screen"]["windows"]
    return w[-1] if w else None

def widget(win, name):
    for w in win.get("widgets", []):
        if w.get("name") == name:
            return w
    return None

def week(path):
    channels, themes, titles = {}, [], []
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith("channel "):
            _, n, _, sid, name = line.split(" ", 4)
            channels[int(n)] = name
        elif line.startswith("theme "):
            themes.append([line.split(" ", 2)[2]])
        elif line.startswith("  sub "):
            themes[-1].append(line[6:])
        elif line.startswith("title "):
            f = line.split(" ", 15)
            titles.append(dict(day=int(f[2]), wday=f[3], time=f[4], ch=int(f[6]), slot=int(f[8]),
                               dur=int(f[10]), title=f[13] if len(f) == 14 else " ".join(f[13:])))
    return channels, themes, titles

def lowered(s):
    return s[:1] + "".join(c.lower() if "A" <= c <= "Z" else c for c in s[1:])

def cut14(s):
    return s[:14]

def order(t):  # carousel order of a time within its broadcast day
    h = int(t[:2])
    return (h + 24 if h < 6 else h, int(t[3:]))

def expected_rows(titles, channels, day, slots, start_hour, third):
    rows = []
    for t in titles:
        if t["day"] != day or t["slot"] not in slots or order(t["time"]) < (start_hour, 0):
            continue
        rows.append(f'{t["time"]} | {lowered(t["title"])} | {third(t)} | {t["dur"]:02d}')
    return rows

channels, themes, titles = week(f"{work}/week.txt")
theme_names = [lowered(g[0]) for g in themes]
first_theme = list(range(0, len(themes[0])))

s = steps("day")
by = {}
for st in s:
    by.setdefault(st["token"], []).append(st)

# The theme list.
tw = top(by["red"][0])
check(tw["class"] == "eChanThemeSel" and tw["title"] == " EPG Themes", f"red opens the theme window: {tw['class']}")
check(widget(tw, "eventh")["rows"] == theme_names, f"theme rows {widget(tw, 'eventh')['rows']}")

# The first theme today from 10:00: the rows the week says, with channel names cut to 14.
pw = top(by["ok"][0])
check(pw["class"] == "eChanProgramSel" and pw["title"] == " " + theme_names[0], f"theme window title {pw['title']}")
rows = widget(pw, "evprogrs")["rows"]
want = expected_rows(titles, channels, 0, first_theme, 10, lambda t: cut14(channels[t["ch"]]))
check(rows == want, f"theme rows today:\n  got  {rows[:5]}...\n  want {want[:5]}... ({len(rows)} vs {len(want)})")
check(widget(pw, "events")["rows"] == [lowered(n) for n in themes[0]], "sub-theme rows")
check(widget(pw, "lbdate")["text"] == "08-12-2026", f"date label {widget(pw, 'lbdate')['text']}")
combo = widget(pw, "comboday")
check(combo["entries"] == ["Tue 08", "Wed 09", "Thu 10", "Fri 11", "Sat 12", "Sun 13", "Mon 14"] and combo["current"] == 0,
      f"day combo {combo['entries']} current {combo['current']}")
check(pw["focus"]["name"] == "evprogrs", "the programme list has the focus")
check(top(by["0"][0])["focus"]["name"] == "events", "digit 0 moves to the left column")

# The next day from 06:00, under its own date.
pw = top(by["ok"][1])
rows = widget(pw, "evprogrs")["rows"]
want = expected_rows(titles, channels, 1, first_theme, 6, lambda t: cut14(channels[t["ch"]]))
check(rows == want, f"theme rows tomorrow: {len(rows)} vs {len(want)}: {rows[:3]} / {want[:3]}")
check(widget(pw, "lbdate")["text"] == "09-12-2026", "date label of the next day")
check(widget(pw, "comboday")["currentText"] == "Wed 09", "combo shows the next day")

# Second start: green, the second channel, OK lists that channel's day with its themes.
cw = top(by["green"][0])
check(cw["class"] == "eChanProgramSel" and cw["title"] == " EPG Channels", "green opens the channel view")
check(widget(cw, "evprogrs")["count"] == 0 and cw["focus"]["name"] == "events", "nothing listed before a choice")
check(widget(cw, "events")["rows"][:3] == [channels[1], channels[2], channels[3]], "channel rows")
slot_names = {}
for g, names in enumerate(themes):
    for k, n in enumerate(names):
        slot_names[g * 16 + k] = lowered(n)
cw = top(by["ok"][2])
rows = widget(cw, "evprogrs")["rows"]
want = [f'{t["time"]} | {lowered(t["title"])} | {cut14(slot_names[t["slot"]])} | {t["dur"]:02d}'
        for t in titles if t["day"] == 0 and t["ch"] == 2 and order(t["time"]) >= (10, 0)]
check(rows == want, f"channel rows: {rows[:3]} / {want[:3]}")
check(cw["title"] == channels[2], f"channel window title {cw['title']}")
check(s[-1]["token"] == "(end)", "the box ends after the script")
log = open(f"{work}/day.log").read()
check(log.count("starting Orvalis") == 3, "the script started the plug-in three times")
check("did not release" not in log, "every service record was released")
# The third start reads the tables afresh and lists the same theme day.
pw = top(by["ok"][3])
check(widget(pw, "evprogrs")["rows"] == expected_rows(titles, channels, 0, first_theme, 10,
                                                      lambda t: cut14(channels[t["ch"]])), "same rows after a restart")

# At 03:00 the broadcast day on screen is Monday's, listed from 06:00.
channels, themes, titles = week(f"{work}/early.txt")
s = steps("early")
pw = top([st for st in s if st["token"] == "ok"][0])
combo = widget(pw, "comboday")
check(combo["entries"] == ["Mon 07", "Tue 08", "Wed 09", "Thu 10", "Fri 11", "Sat 12", "Sun 13"] and combo["current"] == 0,
      f"03:00 combo {combo['entries']} current {combo['current']}")
check(widget(pw, "lbdate")["text"] == "07-12-2026", "03:00 date label")
rows = widget(pw, "evprogrs")["rows"]
want = expected_rows(titles, channels, 0, list(range(len(themes[0]))), 6, lambda t: cut14(channels[t["ch"]]))
check(rows == want and len(rows) > 0, f"03:00 rows {len(rows)} vs {len(want)}")
check(any(r[:2] in ("00", "01", "02", "03", "04", "05") for r in rows), "the night belongs to the day before")

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("browsing checks passed")
PY
