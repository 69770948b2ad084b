#!/usr/bin/env bash
# Every manual page in man/ describes the options its program's --help lists, no
# more and no fewer, has the sections a user looks for, and formats without a
# warning. The program of man/NAME.1 is the built NAME (orvalis-box is built as box).
set -uo pipefail
build=$(cd "${1:?usage: man_pages.sh BUILD_DIR}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
shopt -s nullglob
pages=("$source"/man/*.1)
((${#pages[@]})) || { echo "FAIL: no manual pages in $source/man"; exit 1; }

program_of() { # page name -> built program
    local name=$1 short=${1#orvalis-} f
    for f in "$build"/src/*/"$name" "$build/src/$short/$short"; do
        [ -x "$f" ] && [ -f "$f" ] && { echo "$f"; return 0; }
    done
    return 1
}

check=$(cat <<'PY'
import re, sys

page_path, name = sys.argv[1], sys.argv[2]
help_text = sys.stdin.read()
page = open(page_path, encoding="utf-8").read()
OPTION = r"(?<![\w-])--?[A-Za-z0-9][A-Za-z0-9-]*"

def help_options(text):
    """Options that start a line of --help, with their aliases: "  -o, --output FILE  ..."."""
    found = set()
    for line in text.splitlines():
        m = re.match(r"\s+(-\S+(?: [A-Z][A-Z0-9:._|-]*)?(?:, -\S+(?: [A-Z][A-Z0-9:._|-]*)?)*)(?:\s{2,}|$)", line)
        if m:
            found.update(re.findall(OPTION, m.group(1)))
    return found

def unescape(roff):
    roff = re.sub(r"\\f(\[[^]]*\]|.)", "", roff)
    return roff.replace("\\-", "-").replace("\\e", "\\").replace('"', " ")

sections = {}
current = None
for line in page.splitlines():
    if line.startswith(".SH "):
        current = line[4:].strip().strip('"')
        sections[current] = []
    elif current:
        sections[current].append(line)

problems = []
for want in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES"):
    if want not in sections:
        problems.append(f"no {want} section")
if not re.match(r'\.TH "?' + re.escape(name.upper()) + r'"? 1 ', page):
    problems.append(f".TH does not name {name.upper()} in section 1")
if "NAME" in sections and not unescape(" ".join(sections["NAME"])).strip().startswith(name + " - "):
    problems.append(f"the NAME line does not start with '{name} - '")

documented = set()
lines = sections.get("OPTIONS", [])
for i, line in enumerate(lines):
    if line.strip() == ".TP" and i + 1 < len(lines):
        documented.update(re.findall(OPTION, unescape(lines[i + 1])))
listed = help_options(help_text)
if not listed:
    problems.append(f"{name} --help lists no options")
if listed - documented:
    problems.append(f"in '{name} --help' but not in the page's OPTIONS: {' '.join(sorted(listed - documented))}")
if documented - listed:
    problems.append(f"in the page's OPTIONS but not in '{name} --help': {' '.join(sorted(documented - listed))}")
for p in problems:
    print(f"FAIL: man/{name}.1: {p}")
sys.exit(1 if problems else 0)
PY
)
failed=0
for page in "${pages[@]}"; do
    name=$(basename "$page" .1)
    if ! program=$(program_of "$name"); then
        echo "FAIL: $name.1: no program $name (nor $build/src/${name#orvalis-}/${name#orvalis-}) is built"
        failed=1
        continue
    fi
    help=$("$program" --help 2>&1) || { echo "FAIL: $name --help exits with status $?"; failed=1; continue; }
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || { echo "FAIL: $name.1 formats with warnings:"; echo "$warnings"; failed=1; }
    python3 -c "$check" "$page" "$name" <<< "$help" || failed=1
done
((failed)) && exit 1
echo "manual pages: ${#pages[@]} pages agree with --help"
