#!/usr/bin/env bash
# The offline logging run as a user makes it, headless under faketime on the sample
# broadcast: Setup, Log, Yes; the four files in their formats and the figures saved
# in orvalis.cfg; then offline, with no stream, the same channel listing as on the air;
# last, runs killed at random moments always leave a whole set of files.
set -euo pipefail
build="$1"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
[ -n "${KEEP:-}" ] && trap - EXIT && echo "$work"
export TZ=Europe/Rome
root="$work/root"

"$mux" --start 2026-12-08 "$work/sample.ts"
epg="$("$mux" --print-epg-service)"
faketime '2026-12-08 10:20:00' "$box" --quiet --root "$root" --ts "$work/sample.ts" --service "$epg" \
  --epg-service "$epg" --dump "$work/log.jsonl" --keys "ok blue left ok exit"
cp "$root/var/tuxbox/plugins/orvalis.cfg" "$work/after-log.cfg"
cp -r "$root/hdd/orvalis" "$work/files"

# The same channel and day, on the air and then from the files with no stream at all.
faketime '2026-12-09 21:20:00' "$box" --quiet --root "$work/live" --ts "$work/sample.ts" --service "$epg" \
  --epg-service "$epg" --dump "$work/live.jsonl" --keys "green down ok green"
sed -i 's/^OfflineLog=0/OfflineLog=1/' "$root/var/tuxbox/plugins/orvalis.cfg"
mkdir -p "$root/var/tuxbox/config"
"$box" --quiet --list-services --ts "$work/sample.ts" | cut -f1,2 > "$root/var/tuxbox/config/services"
faketime '2026-12-09 21:20:00' "$box" --quiet --root "$root" --dump "$work/offline.jsonl" --keys "green down ok green"

# Killed runs: the set in place is always one run's whole set (the same LogDate line in all four).
for delay in 0.05 0.2 0.35 0.5 0.65 0.8 1.0 1.3; do
  # A session of its own, so that the kill reaches the box and not only faketime.
  setsid faketime '2026-12-08 11:00:00' "$box" --quiet --root "$root" --ts "$work/sample.ts" --service "$epg" \
    --keys "ok blue left ok exit" >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  kill -9 -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  first=""
  for f in channels themes titles summaries; do
    line="$(head -1 "$root/hdd/orvalis/$f.gep")"
    if [ -z "$first" ]; then first="$line"; elif [ "$line" != "$first" ]; then
      echo "FAILED: killed after $delay s: $f.gep has $line, channels.gep $first"; exit 1
    fi
  done
done

python3 - "$work" "$root" <<'PY'
import json, re, sys
work, root = sys.argv[1], sys.argv[2]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

steps = [json.loads(l) for l in open(f"{work}/log.jsonl")]
def status(step):
    for w in step["screen"]["windows"]:
        if w["class"] == "eInfoSetup":
            for x in w["widgets"]:
                if x["class"] == "eStatusBar":
                    return x["shows"], x["background"]
    return None
check(status(steps[2]) == ("/hdd/orvalis/", "std_green"), f"before the question: {status(steps[2])}")
check(status(steps[4]) == ("Done!", "std_dgreen"), f"after Yes: {status(steps[4])}")

d = f"{work}/files"
files = {n: open(f"{d}/{n}.gep", "rb").read().decode("latin-1").split("\n") for n in ("channels", "themes", "titles", "summaries")}
for n, lines in files.items():
    check(lines[0] == "LogDate=0" and lines[-1] == "", f"{n}: first line {lines[0]!r}, ends with a line break")
patterns = {
    "channels": r"[^<]+<>[0-9a-f]{2,}:[0-9a-f]{2,}:[0-9a-f]{2,}",
    "themes": r"(THM|SUB)<>[0-9a-f]{2,}<>.{1,15}",
    "titles": r"[0-9A-F]+<>\d+<>[0-7]<>\d\d:\d\d<>[^<]*<>\d+<>[0-9A-F]{2,}",
    "summaries": r"[0-9A-F]+<>[^\r\n]*",
}
for n, p in patterns.items():
    bad = [l for l in files[n][1:-1] if not re.fullmatch(p, l)]
    check(not bad, f"{n}: lines not in the format: {bad[:3]}")
check(any("#" in l for l in files["summaries"]), "summaries: carriage returns written as #")

cfg = dict(l.split("=", 1) for l in open(f"{work}/after-log.cfg").read().splitlines() if "=" in l)
check(abs(int(cfg["LogDate"]) - 1796721600) < 30, f"LogDate {cfg['LogDate']}")
counts = [int(x) for x in cfg["LogValue"].split(",")]
check(counts == [len(files["channels"]) - 2, len([l for l in files["themes"] if l.startswith("THM")]),
                 len(files["titles"]) - 2, len(files["summaries"]) - 2], f"LogValue {counts}")
titles = open(f"{d}/titles.gep", "rb").read()
for day, pos in enumerate(int(x) for x in cfg["LogPos"].split(",")):
    line = titles[pos:titles.index(b"\n", pos)].decode("latin-1")
    check(titles[pos - 1:pos] == b"\n" and line.split("<>")[2] == str(day), f"LogPos of day {day}: {line!r}")

def rows(name):
    found = None
    for l in open(f"{work}/{name}.jsonl"):
        for w in json.loads(l)["screen"]["windows"]:
            for x in w["widgets"]:
                if x.get("name") == "evprogrs":
                    found = (w["title"], x["rows"])
    return found
live, offline = rows("live"), rows("offline")
check(live is not None and len(live[1]) > 3, f"live listing: {live}")
check(live == offline, f"offline listing differs:\n{live}\n{offline}")

# The summary view of the first row: the file keeps line breaks as "\n" and ends with one.
def summary(name):
    for l in open(f"{work}/{name}.jsonl"):
        for w in json.loads(l)["screen"]["windows"]:
            if w["class"] == "eTramaview":
                return w["title"], w["widgets"][0]["text"].replace("\r", "\n").rstrip("\n")
    return None
check(summary("live") is not None and len(summary("live")[1]) > 20, f"live summary: {summary('live')}")
check(summary("live") == summary("offline"), f"offline summary differs:\n{summary('live')}\n{summary('offline')}")
if failures:
    print("FAILED:", *failures, sep="\n  ")
    sys.exit(1)
print("offline logging checks passed")
PY
