#!/usr/bin/env bash
# The out-of-date warning of offline mode, on the box's own clock under faketime:
# none at exactly six days after the log, one a second later, none in live mode.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=UTC
now=1796731200            # 2026-12-08 12:00:00 UTC
six_days=518400

run() { # name, settings
  local root="$work/$1"
  mkdir -p "$root/var/tuxbox/plugins"
  printf 'name=Orvalis\ndesc=x\ndepend=\ntype=2\nneedfb=0\nneedrc=0\nneedlcd=0\nenigmaplugin=1\n%b' "$2" \
    > "$root/var/tuxbox/plugins/orvalis.cfg"
  faketime -f "@2026-12-08 12:00:00" "$build/src/box/box" --quiet --root "$root" --dump "$work/$1.jsonl" --keys "ok exit"
}

run at_limit "OfflineLog=1\nLogDate=$((now - six_days))\n"
run past_limit "OfflineLog=1\nLogDate=$((now - six_days - 1))\n"
run live "OfflineLog=0\nLogDate=0\n"
run order "LogDate=0\nOfflineLog=1\n"   # LogDate is read before offline mode is known

python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
def warnings(name):
    first = json.loads(open(f"{work}/{name}.jsonl").readline())
    return [w for w in first["screen"]["windows"] if w["class"] == "eMessageBox"]
failures = []
w = warnings("past_limit")
if len(w) != 1 or w[0]["title"] != "Update EPG:" or w[0]["message"] != "Warning, EPG data is out-of-date.\nUpdate required for offline mode." or w[0]["icon"] != "warning":
    failures.append(f"past the limit: {w}")
for name in ("at_limit", "live", "order"):
    if warnings(name):
        failures.append(f"{name}: unexpected warning")
if failures:
    print("FAILED:", *failures, sep="\n  ")
    sys.exit(1)
print("out-of-date warning checks passed")
PY
