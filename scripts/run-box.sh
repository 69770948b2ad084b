#!/usr/bin/env bash
# Installs what is missing, builds, generates a week of sample broadcast starting
# today and starts the box on it, tuned to its EPG service. Arguments go to the box.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh" "$here/build"

out="$here/out"
mkdir -p "$out"
sample="$out/sample-$(date +%Y-%m-%d).ts"
if [ ! -s "$sample" ]; then
  "$here/build/src/mux/orvalis-mux" "$sample"
fi
epg="$("$here/build/src/mux/orvalis-mux" --print-epg-service)"

exec "$here/build/src/box/box" --root "$out/box-root" --ts "$sample" \
  --service "$epg" --epg-service "$epg" "$@"
