#!/usr/bin/env bash
# Fails when a folder of qt/ includes a folder above it, or a file writes trace lines by itself. Each layer may include itself and the
# layers listed after it: data <- util, data <- views <- map <- app, views <- batch.
set -euo pipefail
cd "$(dirname "$0")/../qt"

declare -A allowed=(
  [data]="data"
  [util]="util data"
  [views]="views data"
  [map]="map views util data"
  [app]="app map views util data"
  [batch]="batch views data"
)

status=0
for layer in "${!allowed[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r hit; do
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$hit")
    if [ -d "$target" ] && ! grep -qw "$target" <<<"${allowed[$layer]}"; then
      echo "layer violation: $hit ($layer may include only: ${allowed[$layer]})" >&2
      status=1
    fi
  done < <(grep -rnE '#include "[a-z]+/' "$layer" || true)
done
# Every source file lives in a layer.
for f in *.h *.cpp; do
  [ -e "$f" ] && { echo "layer violation: qt/$f belongs in a layer folder" >&2; status=1; }
done
# No two classes include each other, directly or around a loop.
python3 ../scripts/include-cycles.py . >/dev/null || status=1
# Trace lines are written by one module only.
if grep -rnE 'std::(cout|cerr|clog)|\bq(Debug|Info)\(' --include='*.cpp' --include='*.h' . | grep -v '^./data/trace\.'; then
  echo "trace lines outside data/trace.h: use trace::out, trace::err or trace_debug()" >&2
  status=1
fi
[ $status -eq 0 ] && echo "layers: every include points down; trace lines go through data/trace.h"
exit $status
