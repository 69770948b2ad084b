#!/usr/bin/env bash
# The box's EPG cache on real captures and on the sample broadcast: --list-events
# lists every present/following title the captures' notes record, with its accents
# and script, at its UTC time; yellow finds the running event under faketime with the
# system clock, on the stream's own clock without faketime (from its TDT/TOT, or from
# its EIT when it has none), and on the sample broadcast now.
set -euo pipefail
build="$1"
data="$2/ts"
box="$build/src/box/box"
mux="$build/src/mux/orvalis-mux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=UTC
# Names as the first descriptor sends them: no user language preferred.
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8

for ts in "$data"/*.ts; do
  name="$(basename "$ts")"
  "$box" --quiet --root "$work/root" --ts "$ts" --list-events >"$work/$name.events"
  "$box" --quiet --root "$work/root" --ts "$ts" --list-services >"$work/$name.services"
done

# Yellow, the service, OK in the selector: the timer editor's description and length.
yellow() { # dump name, keys, box arguments...
  local name="$1" keys="$2"; shift 2
  "$box" --quiet --root "$work/root-$name" --dump "$work/$name.jsonl" --keys "yellow $keys" "$@"
}
yellow cz "down ok" --ts "$data/cz-cra-mux22.ts" --clock system
TZ=UTC faketime '2021-10-03 19:55:00' "$box" --quiet --root "$work/root-czfake" --dump "$work/czfake.jsonl" \
  --keys "yellow down ok" --ts "$data/cz-cra-mux22.ts"
yellow fr "down down ok" --ts "$data/fr-tnt-r4-multi4.ts" --clock stream
# No TDT/TOT in this one: its EIT dates it.
yellow czstream "down ok" --ts "$data/cz-cra-mux22.ts" --clock stream
# The sample broadcast from yesterday on, so that its channels run something now.
"$mux" --start "$(date -d yesterday +%F)" "$work/sample.ts"
epg="$("$mux" --print-epg-service)"
yellow sample "down ok" --ts "$work/sample.ts" --service "$epg" --epg-service "$epg"
"$box" --quiet --ts "$work/sample.ts" --root "$work/root-sample" --list-events >"$work/sample.events"
help_default="$("$box" --help | tail -1)"
help_stream="$("$box" --clock stream --help | tail -1)"

python3 - "$work" "$data" "$help_default" "$help_stream" <<'PY'
import calendar, json, re, sys, time
work, data, help_default, help_stream = sys.argv[1:5]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

# The notes' present/following lines: sid, start, duration, title.
notes = {}
current = None
for line in open(f"{data}/present-following.md", encoding="utf-8"):
    m = re.match(r"## (\S+\.ts)", line)
    if m:
        current = m.group(1)
        notes[current] = set()
        continue
    m = re.match(r'\s+- sid (\d+) sec \d \((?:present|following)\) v\d+: event \d+ (\S+ \S+) UTC dur (\d+):(\d\d):(\d\d) "(.*)" \[', line)
    if m and current:
        notes[current].add((int(m.group(1)), m.group(2), "%d:%s:%s" % (int(m.group(3)), m.group(4), m.group(5)), m.group(6)))
check(sum(len(v) for v in notes.values()) > 50, "the notes list present/following events")
for name, wanted in notes.items():
    names = {}
    for line in open(f"{work}/{name}.services", encoding="utf-8"):
        ref, service = line.rstrip("\n").split("\t")[:2]
        names[int(ref.split(":")[3], 16)] = service
    listed = set()
    for line in open(f"{work}/{name}.events", encoding="utf-8"):
        fields = line.rstrip("\n").split("\t")
        check(len(fields) == 4, f"{name}: four fields in {line!r}")
        listed.add(tuple(fields))
    for sid, start, duration, title in wanted:
        service = names.get(sid, "1:0:1:%X:" % sid)
        found = any(l[1:] == (start, duration, title) and (l[0] == service or l[0].startswith(service)) for l in listed)
        check(found, f"{name}: {service} {start} {duration} {title} not listed")
    print(f"{name}: {len(listed)} events, {len(wanted)} present/following titles checked")

def editor(dumpname):
    for line in open(f"{work}/{dumpname}.jsonl", encoding="utf-8"):
        for w in json.loads(line)["screen"]["windows"]:
            if w["class"] == "eTimerEditView":
                return {x.get("name") or x.get("text"): x for x in w["widgets"]}
    return None

def description(dumpname):
    e = editor(dumpname)
    return e["description"]["text"] if e else None

# System clock at a time the capture does not cover: nothing runs.
check(description("cz") == "Prima ZOOM/no description is available", f"cz now: {description('cz')!r}")
check(description("czfake").startswith("Prima ZOOM/Výstavba obrů III (7) - "), f"cz faketime: {description('czfake')!r}")
check(description("fr") == "Arte/Conte d'été", f"fr stream clock: {description('fr')!r}")
check(description("czstream") == description("czfake"), f"cz stream clock: {description('czstream')!r}")

# The sample broadcast: what runs now on its news channel.
now = time.time()
running = None
for line in open(f"{work}/sample.events", encoding="utf-8"):
    service, start, duration, title = line.rstrip("\n").split("\t")
    t0 = calendar.timegm(time.strptime(start, "%Y-%m-%d %H:%M:%S"))
    h, m, s = map(int, duration.split(":"))
    if service == "Notizie 24" and t0 <= now < t0 + h * 3600 + m * 60 + s:
        running = title
check(running is not None, "the sample's news channel runs something now")
d = description("sample") or ""
check(running is not None and d.startswith(f"Notizie 24/{running}"), f"sample: {d!r}, running {running!r}")

check(help_default == "clock in force: system time", f"help: {help_default!r}")
check(help_stream.startswith("clock in force: stream"), f"help: {help_stream!r}")

for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
PY
