#!/usr/bin/env bash
# orvalis-xmltv on the DVB EIT of real captures: every present/following event with its
# title as broadcast, valid XMLTV; several transponders merge into one document; the
# source can be forced. Arguments: build dir, test data dir.
set -u
build=$(cd "${1:?usage: xmltv_eit.sh BUILD_DIR TEST_DATA_DIR}" && pwd)
data=$(cd "${2:?usage: xmltv_eit.sh BUILD_DIR TEST_DATA_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
xmltv="$build/src/xmltv/orvalis-xmltv"
mux="$build/src/mux/orvalis-mux"
dtd=/usr/share/xmltv/xmltv.dtd
export TZ=Europe/Berlin

fail() { echo "FAIL: $*"; exit 1; }
command -v tv_validate_file > /dev/null || fail "tv_validate_file is not installed (Debian package xmltv-util)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

validate() {
    tv_validate_file --dtd-file "$dtd" "$1" > validate.log 2>&1 || { cat validate.log; fail "$1 does not validate"; }
}
count() { grep -c "$1" "$2"; }

for name in cz-cra-mux22 de-ard-br-626mhz fr-tnt-r4-multi4 gr-ert-heraklion-a tw-cts-dvbt; do
    "$xmltv" --ts "$data/ts/$name.ts" -o "$name.xml" 2> err.txt || { cat err.txt; fail "export of $name failed"; }
    validate "$name.xml"
    python3 "$here/xmltv_eit_check.py" "$data/ts/present-following.md" "$name.ts" "$name.xml" || fail "$name export lacks events"
done

# Texts as broadcast in other places too: an extended description with its line
# breaks, content nibbles as English categories, parental ratings as minimum ages.
grep -q '<desc lang="de">Themen:$' de-ard-br-626mhz.xml || fail "the ARD export lacks the extended description of Brisant"
grep -q '<category lang="en">News / Current affairs</category>' de-ard-br-626mhz.xml || fail "no content category"
grep -q '<rating system="' gr-ert-heraklion-a.xml || fail "no parental rating in the Greek export"
grep -q '<title lang="fr">' fr-tnt-r4-multi4.xml || fail "French titles are not marked as French"

# Two transponders (two networks here) give one document with the channels of both.
"$xmltv" --ts "$data/ts/de-ard-br-626mhz.ts" "$data/ts/fr-tnt-r4-multi4.ts" -o both.xml || fail "export of two streams failed"
validate both.xml
[ "$(count '<channel ' both.xml)" -eq $(( $(count '<channel ' de-ard-br-626mhz.xml) + $(count '<channel ' fr-tnt-r4-multi4.xml) )) ] ||
    fail "the merged document does not hold the channels of both streams"
[ "$(count '<programme ' both.xml)" -eq $(( $(count '<programme ' de-ard-br-626mhz.xml) + $(count '<programme ' fr-tnt-r4-multi4.xml) )) ] ||
    fail "the merged document does not hold the programmes of both streams"
# The same stream twice adds nothing: every event once.
"$xmltv" --ts "$data/ts/cz-cra-mux22.ts" "$data/ts/cz-cra-mux22.ts" -o twice.xml || fail "export of one stream twice failed"
cmp -s twice.xml cz-cra-mux22.xml || fail "the same stream read twice gives another document"

# Source choice: the sample broadcast carries both; the private tables win unless the
# EIT is asked for, and a capture has no private tables to force.
"$mux" --start 2026-12-08 sample.ts || fail "orvalis-mux failed"
"$xmltv" --ts sample.ts -o private.xml && "$xmltv" --ts sample.ts --source eit -o eit.xml || fail "sample export failed"
validate eit.xml
cmp -s private.xml eit.xml && fail "--source eit gave the private tables' document"
"$xmltv" --ts sample.ts --source private -o forced.xml && cmp -s private.xml forced.xml || fail "--source private differs"
if "$xmltv" --ts "$data/ts/fr-tnt-r4-multi4.ts" --source private > /dev/null 2> err.txt; then fail "--source private on a capture succeeded"; fi
grep -q "lacks the channel list" err.txt || { cat err.txt; fail "--source private did not say what the capture lacks"; }
if "$xmltv" --ts "$data/ts/cz-ct-mux1-psi.ts" > /dev/null 2> err.txt; then fail "a capture without EIT succeeded"; fi
grep -q "nor does it carry EIT events" err.txt || { cat err.txt; fail "no clear error for a capture without EIT"; }
echo "xmltv eit: all checks passed"
