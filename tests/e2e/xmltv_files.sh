#!/usr/bin/env bash
# orvalis-xmltv and the files around it: streams that are no streams give up, offline
# files that are no regular files are refused, --root resolves inside the root as the
# box does, and -o writes as the box writes. Never a hang: every run has a time limit.
# Arguments: build dir, test data dir.
set -u
build=$(cd "${1:?usage: xmltv_files.sh BUILD_DIR [TEST_DATA_DIR]}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
xmltv="$build/src/xmltv/orvalis-xmltv"
mux="$build/src/mux/orvalis-mux"
export TZ=Europe/Rome

fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Exit status 1 within the time limit, with the message on standard error.
expect_error() { # message-pattern command...
    local pattern=$1 rc; shift
    timeout 60 "$@" > out.xml 2> err.txt
    rc=$?
    [ "$rc" -ne 124 ] || fail "'$*' hangs"
    [ "$rc" -eq 1 ] || { cat err.txt; fail "'$*' exited with $rc, not 1"; }
    grep -q -- "$pattern" err.txt || { cat err.txt; fail "'$*' did not say '$pattern'"; }
}

# Endless zeros and noise: given up on after 4 MB without sync, as the box does.
expect_error "no sync byte pattern in its first 4 MB" "$xmltv" --ts /dev/zero
expect_error "no sync byte pattern in its first 4 MB" "$xmltv" --ts /dev/urandom
expect_error "no sync byte pattern in its first 4 MB" "$xmltv" --ts /dev/zero --source eit
expect_error "is a directory" "$xmltv" --ts "$work"
# A stream through a FIFO is read once: its EIT when asked for; without private tables
# and without --source a clear word, not an empty guide.
"$mux" --no-epg --start 2026-12-08 noepg.ts || fail "orvalis-mux failed"
mkfifo stream.fifo
cat noepg.ts > stream.fifo &
timeout 60 "$xmltv" --ts stream.fifo --source eit -o fifo.xml || fail "the EIT from a FIFO failed"
wait
grep -q '<programme ' fifo.xml || fail "the EIT from a FIFO gave no programmes"
cat noepg.ts > stream.fifo &
expect_error "give --source eit" "$xmltv" --ts stream.fifo
wait

# Offline files of a sample week.
"$mux" --start 2026-12-08 --list week.txt week.ts || fail "orvalis-mux failed"
mkdir offline
python3 "$here/xmltv_offline_files.py" week.txt offline "$(date -d "2026-12-08 06:30" +%s)" || fail "cannot write offline files"
timeout 60 "$xmltv" --offline offline -o offline.xml || fail "export of the offline files failed"
programmes=$(grep -c '<programme ' offline.xml)

# A FIFO, a device and a folder in place of an offline file.
mv offline/summaries.gep summaries.keep
mkfifo offline/summaries.gep
expect_error "summaries.gep: is not a regular file (a FIFO)" "$xmltv" --offline offline
rm offline/summaries.gep && ln -s /dev/zero offline/summaries.gep
expect_error "summaries.gep: is not a regular file (a device)" "$xmltv" --offline offline
rm offline/summaries.gep && mkdir offline/summaries.gep
expect_error "summaries.gep: is a folder" "$xmltv" --offline offline
rmdir offline/summaries.gep && mv summaries.keep offline/summaries.gep
mv offline/titles.gep titles.keep && mkfifo offline/titles.gep
expect_error "titles.gep: is not a regular file (a FIFO)" "$xmltv" --offline offline
rm offline/titles.gep && mv titles.keep offline/titles.gep

# A box's root in the usual receiver layout: /hdd a link to /media/hdd, which only the
# root has. A link that climbs out of the root stays inside it.
mkdir -p root/var/tuxbox/plugins root/media/hdd/orvalis outside
cp offline/*.gep root/media/hdd/orvalis/
{ cat offline/orvalis.cfg; echo "OfflinePath=/hdd/orvalis/"; } > root/var/tuxbox/plugins/orvalis.cfg
ln -s /media/hdd root/hdd
timeout 60 "$xmltv" --root root -o root.xml || fail "export of a root with /hdd -> /media/hdd failed"
cmp -s offline.xml root.xml || fail "the root's export differs from the offline files' export"
sed 's/<>.*/<>ESCAPED/' offline/summaries.gep > outside/summaries.gep
ln -sf ../../../../outside/summaries.gep root/media/hdd/orvalis/summaries.gep
expect_error "summaries.gep: cannot open" "$xmltv" --root root
grep -q ESCAPED out.xml && fail "a link out of the root was followed"
ln -sf /outside/summaries.gep root/media/hdd/orvalis/summaries.gep
expect_error "summaries.gep: cannot open" "$xmltv" --root root
mkdir -p root/outside && cp offline/summaries.gep root/outside/
timeout 60 "$xmltv" --root root -o inside.xml || fail "a link to /outside inside the root is not followed there"
cmp -s offline.xml inside.xml || fail "the export through an in-root link differs"
expect_error "not a folder" "$xmltv" --root week.ts

# -o: a file keeps its mode and is replaced whole; a link stays a link; a FIFO is
# written in place; a folder is refused; nothing is left beside the output.
mkdir out && cd out
echo old > kept.xml && chmod 640 kept.xml
timeout 60 "$xmltv" --offline ../offline -o kept.xml || fail "-o over a file failed"
[ "$(stat -c %a kept.xml)" = 640 ] || fail "-o did not keep the mode 640 (now $(stat -c %a kept.xml))"
cmp -s kept.xml ../offline.xml || fail "-o wrote another document"
echo target > real.xml && ln -s real.xml link.xml
timeout 60 "$xmltv" --offline ../offline -o link.xml || fail "-o through a link failed"
[ -L link.xml ] || fail "-o replaced the symbolic link by a file"
cmp -s real.xml ../offline.xml || fail "-o did not write through the link"
mkfifo pipe.xml
cat pipe.xml > fromfifo.xml &
reader=$!
timeout 60 "$xmltv" --offline ../offline -o pipe.xml || fail "-o to a FIFO failed"
wait "$reader"
[ -p pipe.xml ] || fail "-o replaced the FIFO by a file"
cmp -s fromfifo.xml ../offline.xml || fail "the FIFO's reader did not get the document"
timeout 60 "$xmltv" --offline ../offline -o - > stdout.xml || fail "-o - failed"
cmp -s stdout.xml ../offline.xml || fail "-o - did not write the document to standard output"
mkdir folder.xml
expect_error "it is a folder" "$xmltv" --offline ../offline -o folder.xml
# A failed run leaves the old file as it was.
expect_error "no sync" "$xmltv" --ts /dev/zero -o kept.xml
cmp -s kept.xml ../offline.xml || fail "a failed run changed the output file"
leftovers=$(ls -A | grep -v -x -e kept.xml -e real.xml -e link.xml -e pipe.xml -e fromfifo.xml -e stdout.xml -e folder.xml -e out.xml -e err.txt)
[ -z "$leftovers" ] || fail "files left beside the output: $leftovers"
[ "$(grep -c '<programme ' kept.xml)" -eq "$programmes" ] || fail "programme count changed"
echo "xmltv files: all checks passed"
