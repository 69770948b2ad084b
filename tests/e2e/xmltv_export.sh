#!/usr/bin/env bash
# orvalis-xmltv end to end: the export of sample weeks (from the stream and from
# offline files) validates with tv_validate_file and holds every programme of the
# week orvalis-mux describes; broken input gives clear errors. Arguments: build dir,
# test data dir.
set -u
build=$(cd "${1:?usage: xmltv_export.sh BUILD_DIR [TEST_DATA_DIR]}" && pwd)
data=${2:+$(cd "$2" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
mux="$build/src/mux/orvalis-mux"
xmltv="$build/src/xmltv/orvalis-xmltv"
dtd=/usr/share/xmltv/xmltv.dtd
export TZ=Europe/Rome

fail() { echo "FAIL: $*"; exit 1; }
command -v tv_validate_file > /dev/null || fail "tv_validate_file is not installed (Debian package xmltv-util)"
[ -f "$dtd" ] || fail "$dtd is missing"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

validate() {
    tv_validate_file --dtd-file "$dtd" "$1" > validate.log 2>&1 || { cat validate.log; fail "$1 does not validate"; }
}

# A week from the stream, dated by its TDT, and its offline files logged at 06:30 of
# the first day. The first week has summaries sent twice in a pass, summary ids
# without a summary, stray sections and records without a channel; the second
# crosses the end of summer time, sends Sunday as weekday 7, uses every hour code
# and has an eighth day, which the offline files can only call "day 7".
for week in "2026-12-08 7 --repeat-percent 20 --missing-percent 10 --junk --bad-channel 3" \
            "2026-10-22 8 --sunday-seven --hour-codes mixed"; do
    set -- $week
    start=$1 days=$2
    shift 2
    "$mux" --start "$start" --days "$days" "$@" --list week.txt week.ts || fail "orvalis-mux failed"
    "$xmltv" --ts week.ts -o week.xml || fail "export of the $start stream failed"
    validate week.xml
    python3 "$here/xmltv_check.py" week.txt week.xml "$start" || fail "$start stream export differs from the listing"

    rm -rf offline && mkdir offline
    python3 "$here/xmltv_offline_files.py" week.txt offline "$(date -d "$start 06:30" +%s)" || fail "cannot write offline files"
    "$xmltv" --offline offline -o offline.xml || fail "export of the $start offline files failed"
    validate offline.xml
    python3 "$here/xmltv_check.py" week.txt offline.xml "$start" --titles-as-logged ||
        fail "$start offline export differs from the listing"
done

# The plug-in's own logging run in the box at 06:00 of the first day (Setup, Log,
# Yes), then the export of the box's file system root: its configuration names the
# offline folder and holds the log date.
"$mux" --start 2026-12-08 --list week.txt week.ts || fail "orvalis-mux failed"
epg=$("$mux" --print-epg-service)
timeout 300 faketime '2026-12-08 06:00:00' "$build/src/box/box" --quiet --root root --ts week.ts --service "$epg" \
    --epg-service "$epg" --display headless --keys "ok blue left ok exit exit" || fail "the logging run in the box failed"
[ -s root/hdd/orvalis/titles.gep ] || fail "the logging run wrote no titles.gep (Setup, Log, Yes in the box)"
"$xmltv" --root root -o root.xml || fail "export of the box's offline files failed"
validate root.xml
python3 "$here/xmltv_check.py" week.txt root.xml 2026-12-08 --titles-as-logged ||
    fail "the export of the logging run differs from the listing"

# Dated from the system clock: before 06:00 the broadcast day is still the day before.
"$mux" --start 2026-12-08 week.ts && "$xmltv" --ts week.ts -o week.xml || fail "export of the sample week failed"
faketime '2026-12-09 05:30:00' "$xmltv" --ts week.ts --system-clock -o clock.xml || fail "--system-clock failed"
first=$(grep -m1 -o 'start="[0-9]*' clock.xml)
[ "$first" = 'start="20261208060000' ] || fail "system clock 05:30 on the 9th should start the week on the 8th, got $first"

# The stream's carousels read once through: a longer stream adds nothing.
"$mux" --start 2026-12-08 --passes 5 long.ts && "$xmltv" --ts long.ts -o long.xml || fail "export of a longer stream failed"
cmp -s week.xml long.xml || fail "five carousel passes export differently from two"

# Errors name the problem and fail.
expect_error() { # message-pattern command...
    local pattern=$1; shift
    if "$@" > out.xml 2> err.txt; then fail "'$*' succeeded"; fi
    grep -q -- "$pattern" err.txt || { cat err.txt; fail "'$*' did not say '$pattern'"; }
}
"$mux" --no-epg noepg.ts
expect_error "lacks the channel list" "$xmltv" --ts noepg.ts --source private
# Without the private tables the stream's EIT gives the guide.
"$xmltv" --ts noepg.ts -o noepg.xml 2> err.txt || { cat err.txt; fail "a stream without private tables but with EIT failed"; }
grep -q '<programme ' noepg.xml || fail "the EIT of a stream without private tables gave no programmes"
validate noepg.xml
expect_error "cannot open" "$xmltv" --ts missing.ts
head -c 5000 /dev/urandom > noise.ts
expect_error "not an MPEG transport stream" "$xmltv" --ts noise.ts
if [ -n "$data" ]; then
    expect_error "lacks the channel list" "$xmltv" --ts "$data/ts/it-mediaset-mux-ait.ts"
fi
rm offline/titles.gep
expect_error "titles.gep: cannot open" "$xmltv" --offline offline
printf 'LogDate=0\nA1<>0<>3<>2x:30<>Cinema<>95<>21\n' > offline/titles.gep
expect_error "titles.gep line 2: malformed" "$xmltv" --offline offline
sed -i 's/^LogDate=.*/LogDate=0/' offline/orvalis.cfg
expect_error "no LogDate" "$xmltv" --offline offline
echo "xmltv export: all checks passed"
