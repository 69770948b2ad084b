#!/usr/bin/env bash
# The box's service list of every test capture (tests/data/ts), as its scan builds it, names the
# services exactly as ffprobe does.
set -euo pipefail
build="$1"
data="$2"
if ! command -v ffprobe >/dev/null; then
  echo "SKIP: ffprobe is not installed"
  exit 0
fi
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
status=0
for ts in "$data"/ts/*.ts; do
  # A root of its own: the box keeps the services it scanned, and would list the earlier captures' too.
  rm -rf "$root/var"
  box_names="$("$build/src/box/box" --quiet --root "$root" --ts "$ts" --list-services | cut -f2 | sort)"
  probe_names="$(ffprobe -v quiet -show_programs -of json "$ts" | python3 -c '
import json, sys
for p in json.load(sys.stdin).get("programs", []):
    name = p.get("tags", {}).get("service_name")
    if name is not None:
        print(name)' | sort)"
  if [ "$box_names" != "$probe_names" ]; then
    echo "FAILED: $(basename "$ts"): the box and ffprobe name the services differently"
    diff <(echo "$box_names") <(echo "$probe_names") || true
    status=1
  else
    echo "ok: $(basename "$ts"): $(echo "$box_names" | wc -l) services"
  fi
done
exit $status
