#!/usr/bin/env bash
# Summaries, timers and the search, driven headless on the sample broadcast under
# faketime: every page of the summary view shows what orvalis-mux --list gives for the
# programme's summary id, the markers sit right at both ends, the timer file holds the
# proposal (margins, local offset, zero seconds, "channel/title") for programmes of
# today, of a later day and of 00:00-05:59, and the search text is kept in orvalis.cfg.
set -euo pipefail
build="$1"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Rome
now='2026-12-08 10:17:42'

"$mux" --start 2026-12-08 --clock-hour 10 --repeat-percent 20 --junk --list "$work/list.txt" "$work/sample.ts"
epg="$("$mux" --print-epg-service)"
mkdir -p "$work/boxroot/var/tuxbox/plugins"
printf 'name=Orvalis\ndesc=x\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\nEPGService=%s\nTimerStart=5\nTimerEnd=10\nLocalTimeOffset=3600\n' \
  "$epg" > "$work/boxroot/var/tuxbox/plugins/orvalis.cfg"

run() { # name, key script
  faketime "$now" "$box" --quiet --root "$work/boxroot" --ts "$work/sample.ts" --service "$epg" \
    --dump "$work/$1.jsonl" --keys "$2"
}

# Search, then page through the summaries of every listed programme.
pages="$(printf 'right %.0s' $(seq 1 200))"
run search "blue text:FoRtUnA ok green green $pages exit exit exit exit"
# The same text again (other case): no second entry in the last searches.
run again "blue text:fortuna ok green exit exit exit"

# Timers for rows chosen from what the search listed: the first, the first after
# midnight and the first of a later day.
keys="$(python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
for line in open(f"{work}/search.jsonl"):
    step = json.loads(line)
    for w in step["screen"]["windows"]:
        for x in w.get("widgets", []):
            if x.get("name") == "evprogrs" and x.get("count"):
                rows = x["rows"]
hours = [int(r.split(":")[0]) for r in rows]
night = next(i for i, h in enumerate(hours) if h < 6)
later = next(i for i in range(night, len(hours)) if hours[i] >= 6)
for k in (0, night, later):
    print("blue text:fortuna ok green " + "down " * k + "red green exit exit exit")
PY
)"
i=0
while read -r script; do
  run "timer$i" "$script"
  i=$((i + 1))
done <<< "$keys"

python3 - "$work" <<'PY'
import json, sys, time, os, re
work = sys.argv[1]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

# The listing: channel names, programmes by (channel, listed weekday, time), summaries by id.
channels, titles, summaries = {}, {}, {}
for line in open(f"{work}/list.txt", encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("channel "):
        p = line.split(" ", 4)
        channels[int(p[1])] = p[4]
    elif line.startswith("title "):
        p = line.split(" ", 13)
        titles.setdefault((channels[int(p[6])], p[3], p[4]), []).append(
            {"day": int(p[2]), "dur": int(p[10]), "id": p[12], "title": p[13]})
    elif line.startswith("summary "):
        summaries[line[8:16]] = line[17:]

def steps(name):
    return [json.loads(l) for l in open(f"{work}/{name}.jsonl")]
def top(step):
    w = step["screen"]["windows"]
    return w[-1] if w else None
def widget(win, cls=None, text=None):
    return [x for x in win.get("widgets", []) if (cls is None or x["class"] == cls) and (text is None or x.get("text") == text)]

# Every listed title contains the text, in any mix of cases.
s = steps("search")
lists = [x for st in s for w in st["screen"]["windows"] for x in w.get("widgets", []) if x.get("name") == "evprogrs"]
rows = lists[-1]["rows"]
check(len(rows) > 20, f"search rows {len(rows)}")
check(all("fortuna" in r.split(" | ")[1].lower() for r in rows), "a listed title lacks the text")

# Summary view pages: one per row, each matching the listing for the row's summary id.
views = [top(st) for st in s if top(st) and top(st)["class"] == "eTramaview"]
seen, shared = [], 0
ids = set()
for v in views:
    labels = [x for x in v["widgets"] if x["class"] == "eLabel"]
    summary, when, channel = labels[0]["text"], labels[1]["text"], labels[2]["text"]
    prev = [x for x in labels if x["text"] == "<"][0]["visible"]
    nxt = [x for x in labels if x["text"] == ">"][0]["visible"]
    wd, hm = when.split(" ")
    cands = titles.get((channel, wd, hm), [])
    cands = [c for c in cands if c["title"].lower().startswith(v["title"].strip().lower()[:10])]
    check(len(cands) >= 1, f"no programme for {v['title']} {when} {channel}")
    if not cands:
        continue
    ids_here = {c["id"] for c in cands}
    texts = {summaries.get(i) for i in ids_here}
    check(summary.replace("\r", "|") in texts, f"summary of {v['title']} {when} {channel}: {summary[:40]!r} not in {[(t or '')[:40] for t in texts]}")
    seen.append((v["title"], when, channel, prev, nxt))
    for i in ids_here:
        shared += i in ids and summaries.get(i, "") != ""
        ids.add(i)
pages = []
for p in seen:
    if not pages or pages[-1] != p:
        pages.append(p)
check(len(pages) == len(rows), f"pages {len(pages)} rows {len(rows)}")
check(pages[0][3] is False and pages[0][4] is True, f"markers on the first page {pages[0]}")
check(pages[-1][3] is True and pages[-1][4] is False, f"markers on the last page {pages[-1]}")
check(all(p[3] and p[4] for p in pages[1:-1]), "markers in the middle")
check(shared > 0, "no two rows shared a summary id")

# The last searches: one entry, stored in upper case, after both runs.
cfg = open(f"{work}/boxroot/var/tuxbox/plugins/orvalis.cfg").read()
check(cfg.split("LastSearch:\n", 1)[1].split() == [">FORTUNA"], f"LastSearch section {cfg.split('LastSearch:', 1)[1]!r}")

# Timers: start = listed day and time (+1 day from 00:00 to 05:59) - 5 min + 1 h, seconds 0;
# duration = (programme + 5 + 10) minutes; description channel/title.
timers = [l.split("\t") for l in open(f"{work}/boxroot/var/tuxbox/config/timers").read().splitlines()]
check(len(timers) == 3, f"{len(timers)} timers")
base = time.mktime((2026, 12, 8, 0, 0, 0, 0, 0, -1))
kinds = set()
for t in timers:
    start, duration, desc = int(t[0]), int(t[1]), t[4]
    channel, title = desc.split("/", 1)
    check(start % 60 == 0, f"seconds in {start}")
    lt = time.localtime(start + 5 * 60 - 3600)
    wd = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"][(lt.tm_wday - (1 if lt.tm_hour < 6 else 0)) % 7]
    cands = [c for c in titles.get((channel, wd, "%02d:%02d" % (lt.tm_hour, lt.tm_min)), [])
             if c["title"].lower().startswith(title.lower()[:10])]
    check(len(cands) == 1, f"timer {desc} at {time.ctime(start)} matches {cands}")
    if cands:
        c = cands[0]
        day = time.localtime(time.mktime((2026, 12, 8 + c["day"] + (1 if lt.tm_hour < 6 else 0), lt.tm_hour, lt.tm_min, 0, 0, 0, -1)) )
        check((day.tm_mon, day.tm_mday) == (lt.tm_mon, lt.tm_mday), f"timer {desc} on {time.ctime(start)}, listed day {c['day']}")
        check(duration == (c["dur"] + 15) * 60, f"timer {desc} duration {duration}")
        kinds.add("night" if lt.tm_hour < 6 else "today" if c["day"] == 0 else "later")
check(kinds == {"today", "night", "later"}, f"timer kinds {kinds}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("summaries, timers and search: ok")
PY
