#!/usr/bin/env bash
# orvalis-import end to end on the sample broadcast: its week exported to XMLTV,
# imported into a box's root, browsed offline with no stream lists the same rows as
# on the air, and exported again from the offline files gives the same programmes.
# Then bad input: each a clear error naming file and line, the set left untouched.
# Arguments: build dir, test data dir.
set -u
build=$(cd "${1:?usage: xmltv_import.sh BUILD_DIR [TEST_DATA_DIR]}" && pwd)
data=${2:+$(cd "$2" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
mux="$build/src/mux/orvalis-mux"
xmltv="$build/src/xmltv/orvalis-xmltv"
import="$build/src/import/orvalis-import"
box="$build/src/box/box"
export TZ=Europe/Rome

fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -n "${KEEP:-}" ] && trap - EXIT && echo "$work"
cd "$work"

"$mux" --start 2026-12-08 --list week.txt week.ts || fail "orvalis-mux failed"
epg=$("$mux" --print-epg-service)
"$xmltv" --ts week.ts -o week.xml || fail "export of the sample stream failed"

# The box as a user has set it up: the plug-in's settings with its EPG service and
# the services it scanned; then the import, switching the plug-in to offline data.
mkdir -p root/var/tuxbox/plugins root/var/tuxbox/config
printf 'name=Orvalis\ndesc=Weekly programme guide\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\nEPGService=%s\nOfflinePath=/hdd/orvalis/\nOfflineLog=0\nLastSearch:\n>CINEMA\n' "$epg" \
    > root/var/tuxbox/plugins/orvalis.cfg
"$box" --quiet --list-services --ts week.ts | cut -f1,2 > root/var/tuxbox/config/services
faketime '2026-12-09 21:20:00' "$import" --xmltv week.xml --root root --first-day 2026-12-08 --use-offline \
    2> import.log || { cat import.log; fail "the import failed"; }
grep -q "40 channels, .* programmes, .* summaries written to root/hdd/orvalis/" import.log ||
    { cat import.log; fail "the import did not say what it wrote"; }
for f in channels themes titles summaries; do
    [ -s "root/hdd/orvalis/$f.gep" ] || fail "no $f.gep"
done
grep -q '^>CINEMA$' root/var/tuxbox/plugins/orvalis.cfg || fail "the search strings were not kept"

# The same channel and day, on the air and then from the imported files with no stream.
faketime '2026-12-09 21:20:00' "$box" --quiet --root live --ts week.ts --service "$epg" --epg-service "$epg" \
    --dump live.jsonl --keys "green down ok green" || fail "the live box failed"
faketime '2026-12-09 21:20:00' "$box" --quiet --root root --dump offline.jsonl --keys "green down ok green" ||
    fail "the offline box failed"
# The same theme's first sub-theme: the import puts the most used themes first, so the
# theme is found by its name in each list.
downs() { # position of the theme RAGAZZI in the list of theme names on standard input, as key presses
    local n
    n=$(grep -n -x -i RAGAZZI | cut -d: -f1)
    [ -n "$n" ] || fail "no theme RAGAZZI"
    for ((i = 1; i < n; ++i)); do printf 'down '; done
}
live_keys="red $(sed -n 's/^theme [0-9]* //p' week.txt | downs)ok down ok"
offline_keys="red $(sed -n 's/^THM<>[0-9a-f]*<>//p' root/hdd/orvalis/themes.gep | downs)ok down ok"
faketime '2026-12-09 21:20:00' "$box" --quiet --root live --ts week.ts --service "$epg" --epg-service "$epg" \
    --dump live-themes.jsonl --keys "$live_keys" || fail "the live box failed"
faketime '2026-12-09 21:20:00' "$box" --quiet --root root --dump offline-themes.jsonl --keys "$offline_keys" ||
    fail "the offline box failed"

# Exported again from the imported files.
"$xmltv" --root root -o again.xml || fail "export of the imported files failed"
python3 "$here/xmltv_check.py" week.txt again.xml 2026-12-08 --titles-as-logged ||
    fail "the export of the imported files differs from the listing"

python3 - "$work" <<'PY' || exit 1
import json, sys
import xml.etree.ElementTree as ET
work = sys.argv[1]
failures = []
def check(cond, what):
    if not cond:
        failures.append(what)

def rows(name):
    found = None
    for l in open(f"{work}/{name}.jsonl"):
        for w in json.loads(l)["screen"]["windows"]:
            for x in w["widgets"]:
                if x.get("name") == "evprogrs":
                    found = (w["title"], x["rows"])
    return found
for view in ("", "-themes"):
    live, offline = rows("live" + view), rows("offline" + view)
    check(live is not None and len(live[1]) > 3, f"live listing{view}: {live}")
    check(live == offline, f"offline listing{view} differs:\n{live}\n{offline}")

def summary(name):
    for l in open(f"{work}/{name}.jsonl"):
        for w in json.loads(l)["screen"]["windows"]:
            if w["class"] == "eTramaview":
                return w["title"], w["widgets"][0]["text"].replace("\r", "\n").rstrip("\n")
    return None
check(summary("live") is not None and len(summary("live")[1]) > 20, f"live summary: {summary('live')}")
check(summary("live") == summary("offline"), f"offline summary differs:\n{summary('live')}\n{summary('offline')}")

def logged(t):
    return t[:1] + "".join(c.lower() if "A" <= c <= "Z" else c for c in t[1:])
def programmes(path, as_logged):
    out = []
    for p in ET.parse(path).getroot().iter("programme"):
        title = p.findtext("title")
        out.append((p.get("channel"), p.get("start"), p.get("stop"), logged(title) if as_logged else title,
                    p.findtext("desc"), tuple(c.text for c in p.iter("category"))))
    return sorted(out)
first, again = programmes(f"{work}/week.xml", True), programmes(f"{work}/again.xml", False)
check(len(first) > 1000, f"only {len(first)} programmes exported")
check(first == again, "the programmes exported again differ: " +
      str([p for p in first if p not in again][:2]) + " / " + str([p for p in again if p not in first][:2]))
if failures:
    print("FAILED:", *failures, sep="\n  ")
    sys.exit(1)
PY

# Bad input: the message names the file and line, the set in place stays byte for byte.
snapshot() { cat root/var/tuxbox/plugins/orvalis.cfg root/hdd/orvalis/*.gep | md5sum; }
before=$(snapshot)
expect_error() { # message-pattern command...
    local pattern=$1; shift
    if "$@" > out.txt 2> err.txt; then fail "'$*' succeeded"; fi
    grep -q -- "$pattern" err.txt || { cat err.txt; fail "'$*' did not say '$pattern'"; }
    [ "$(snapshot)" = "$before" ] || fail "'$*' changed the offline files or settings"
}
head -c 20000 week.xml > cut.xml
expect_error "cut.xml line [0-9]*: " "$import" --xmltv cut.xml --root root
gzip -c week.xml | head -c 30000 > cut.xml.gz
expect_error "cut.xml.gz line [0-9]*: the compressed file is cut short" "$import" --xmltv cut.xml.gz --root root
sed '0,/ +0100"/s//"/' week.xml > nozone.xml
expect_error "nozone.xml line [0-9]*: start time \"20261208060000\" is not YYYYMMDDhhmmss with a zone" \
    "$import" --xmltv nozone.xml --root root
sed 's/<title>Speciale TG</<title>\&bogus; TG</' week.xml > entity.xml
expect_error "entity.xml line [0-9]*: the entity &bogus; is not declared" "$import" --xmltv entity.xml --root root
sed 's/<channel id=/<channel name=/' week.xml > noid.xml
expect_error "noid.xml line 4: <channel> without its id" "$import" --xmltv noid.xml --root root
sed 's/13e\.bb9\.\([0-9a-f]*\)\.dvb/ch\1.example/' week.xml > names.xml
: > empty-services
expect_error "no channel of the guide is a service the box knows" "$import" --xmltv names.xml --root root \
    --services empty-services
expect_error "no programme falls in the week" "$import" --xmltv week.xml --root root --first-day 2027-01-10
expect_error "cannot open the file" "$import" --xmltv missing.xml --root root
( flock 9; sleep 5 ) 9> root/hdd/orvalis/.gep.lock &
for _ in $(seq 100); do flock -n root/hdd/orvalis/.gep.lock true || break; sleep 0.05; done # until it is held
expect_error "another logging run or import is writing /hdd/orvalis/" "$import" --xmltv week.xml --root root
wait

# A dry run reads and reports but writes nothing.
"$import" --xmltv week.xml --root root --first-day 2026-12-10 --dry-run 2> dry.log || { cat dry.log; fail "the dry run failed"; }
grep -q "would be written to root/hdd/orvalis/" dry.log || { cat dry.log; fail "the dry run did not say what it would write"; }
[ "$(snapshot)" = "$before" ] || fail "the dry run changed the offline files or settings"

# Channels without DVB ids map by name to the box's services; from standard input, gzip-compressed.
gzip -c names.xml | faketime '2026-12-09 21:20:00' "$import" --xmltv - --root root --first-day 2026-12-08 \
    2> names.log || { cat names.log; fail "import by channel names failed"; }
"$xmltv" --root root -o names-again.xml || fail "export after the import by names failed"
cmp -s again.xml names-again.xml || fail "the import by channel names differs from the one by DVB ids"
# A real capture's EIT: imported, then exported from the offline files, it holds every
# event of the week as orvalis-xmltv exports the same stream's EIT.
if [ -n "$data" ]; then
    for capture in de-ard-br-626mhz.ts fr-tnt-r4-multi4.ts; do
        "$xmltv" --ts "$data/ts/$capture" --source eit -o eit.xml || fail "EIT export of $capture failed"
        rm -rf eit-offline
        "$import" --ts "$data/ts/$capture" --offline eit-offline 2> eit.log || { cat eit.log; fail "import of $capture failed"; }
        "$xmltv" --offline eit-offline -o eit-again.xml || fail "export of the import of $capture failed"
        python3 - eit.xml eit-again.xml <<'PY' || fail "the import of $capture differs from its EIT"
import datetime, sys
import xml.etree.ElementTree as ET
def logged(t):
    return t[:1] + "".join(c.lower() if "A" <= c <= "Z" else c for c in t[1:])
def day(start):
    t = datetime.datetime.strptime(start, "%Y%m%d%H%M%S %z")
    return (t - datetime.timedelta(hours=6)).date()
def read(path, as_logged):
    out = set()
    for p in ET.parse(path).getroot().iter("programme"):
        title = p.findtext("title")
        desc = p.findtext("desc")
        sub = p.findtext("sub-title")
        if desc is None and sub is not None and sub != title:
            desc = sub
        if as_logged:
            title = logged(title).rstrip(" ")
            desc = desc.replace("#", "\n").replace("\r\n", "\n").replace("\r", "\n") if desc else desc
        start, stop = p.get("start"), p.get("stop")
        if as_logged:
            # The files keep minutes: a start is cut to its minute, a length to whole minutes.
            t0 = datetime.datetime.strptime(start, "%Y%m%d%H%M%S %z")
            t1 = datetime.datetime.strptime(stop, "%Y%m%d%H%M%S %z")
            minutes = int((t1 - t0).total_seconds()) // 60
            t0 = t0.replace(second=0)
            start, stop = t0.strftime("%Y%m%d%H%M%S %z"), (t0 + datetime.timedelta(minutes=minutes)).strftime("%Y%m%d%H%M%S %z")
        out.add((p.get("channel"), start, stop, title, desc, day(start)))
    return out
source, again = read(sys.argv[1], True), read(sys.argv[2], False)
first = min(p[5] for p in again)
week = {p for p in source if first <= p[5] < first + datetime.timedelta(days=8)}
if not again or week != again:
    print("only in the EIT:", sorted(week - again)[:3])
    print("only in the import:", sorted(again - week)[:3])
    sys.exit(1)
print(f"ok: {len(again)} events of the week")
PY
    done
    # Into the root of a box that has seen the capture and was never given an EPG service
    # (none of its services sends the private tables): the plug-in names offline channels
    # in its EPG service's network, so browsed offline they must all be listed.
    capture="$data/ts/de-ard-br-626mhz.ts"
    "$box" --quiet --root eit-root --ts "$capture" --keys "exit" || fail "the box failed on the capture"
    TZ=Europe/Berlin "$import" --ts "$capture" --root eit-root --use-offline 2> eit.log ||
        { cat eit.log; fail "import of the capture into a box's root failed"; }
    grep -q "no EPG service was set; it is now 1:0:[0-9a-f]*:[0-9a-f]*:[0-9a-f]*:2114:eeee0000:" eit.log ||
        { cat eit.log; fail "the import did not say which EPG service it set"; }
    TZ=Europe/Berlin faketime '2024-03-12 10:00:00' "$box" --quiet --root eit-root --ts "$capture" \
        --dump eit-browse.jsonl --keys "green ok" || fail "the offline box failed on the capture's guide"
    python3 - eit-browse.jsonl eit-root/hdd/orvalis/channels.gep <<'PY' || fail "the capture's guide is not browsable"
import json, sys
listed = rows = None
for l in open(sys.argv[1]):
    for w in json.loads(l)["screen"]["windows"]:
        for x in w["widgets"]:
            if x.get("name") == "events":
                listed = x["rows"]
            if x.get("name") == "evprogrs":
                rows = x["rows"]
# The box knows the services of this transponder (3103); the others are listed by none.
names = [l.split("<>")[0] for l in open(sys.argv[2], encoding="latin-1") if l.strip().endswith(":3103:2114")]
if not names or listed != names or not rows:
    print("channels.gep:", names, "\nlisted:", listed, "\nfirst channel's rows:", rows)
    sys.exit(1)
PY
fi
echo "xmltv import: all checks passed"
