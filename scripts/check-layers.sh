#!/usr/bin/env bash
# Fails when a room of qt/ includes a room above it, links a library above it, a library that must
# stay free of widgets (the batch, the tiles) reaches them, a file lies outside every room, two
# classes include each other or a file writes trace lines by itself. Each room may include itself
# and the rooms (folder/) or headers (file.h) listed for it:
#   data/io <- data/model <- data/formats <- data/load <- util <- tiles <- map <- app
#   data/model <- data/metrics, data/labels, data/rhythm, data/tracks
#   data/io <- widgets <- views/burst <- app; widgets <- map; data/rhythm, widgets <- views/activity <- app
#   data/labels, views/burst <- views/labels <- app; data/metrics, views/burst <- views/metrics <- app
#   data/io, data/model, data/labels, data/metrics <- data/classify; views/labels, data/classify <- views/classify <- app
#   data <- batch, which takes only the activity picture from views/activity
set -euo pipefail
cd "$(dirname "$0")/../qt"

declare -A allowed=(
  [data/io]="data/io/"
  [data/model]="data/model/ data/io/"
  [data/metrics]="data/metrics/ data/model/ data/io/"
  [data/formats]="data/formats/ data/model/ data/io/"
  [data/load]="data/load/ data/formats/ data/model/ data/io/"
  [data/labels]="data/labels/ data/model/ data/io/"
  [data/rhythm]="data/rhythm/ data/model/ data/io/"
  [data/classify]="data/classify/ data/metrics/ data/labels/ data/model/ data/io/"
  [data/tracks]="data/tracks/ data/model/ data/io/"
  [util]="util/ data/"
  [widgets]="widgets/ data/io/"
  [views/activity]="views/activity/ widgets/ data/rhythm/ data/model/ data/io/"
  [views/burst]="views/burst/ widgets/ data/metrics/ data/model/ data/io/"
  [views/metrics]="views/metrics/ views/burst/ widgets/ data/metrics/ data/model/ data/io/"
  [views/labels]="views/labels/ views/burst/ widgets/ data/labels/ data/model/ data/io/"
  [views/classify]="views/classify/ views/labels/ views/burst/ widgets/ data/classify/ data/labels/ data/metrics/ data/model/ data/io/"
  [tiles]="tiles/ util/ data/"
  [map]="map/ tiles/ widgets/ util/ data/"
  [app]="app/ map/ tiles/ views/ widgets/ util/ data/"
  [batch]="batch/ data/ views/activity/activity_plot.h views/activity/activity_plot_options.h"
)
# Libraries that must not reach these Qt modules, however indirectly.
declare -A denied_qt=(
  [dornvale_io]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_model]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_metrics]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_formats]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_load]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_labels]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_rhythm]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_classify]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_tracks]="Qt5::Gui Qt5::Widgets Qt5::Svg Qt5::Network"
  [dornvale_activity_plot]="Qt5::Widgets Qt5::Svg"
  [dornvale_batch]="Qt5::Widgets Qt5::Svg"
  [dornvale_tiles]="Qt5::Widgets Qt5::Svg"
)

# True when room $1 may include the header $2 (a path below qt/).
may_include() {
  local entry
  for entry in ${allowed[$1]}; do
    if [[ $entry == */ ]]; then [[ $2 == "$entry"* ]] && return 0
    else [[ $2 == "$entry" ]] && return 0
    fi
  done
  return 1
}

status=0
# Every source file lives in a room.
while IFS= read -r f; do
  room=$(dirname "$f")
  if [ -z "${allowed[$room]+x}" ]; then
    echo "layer violation: qt/$f lies outside every room (${!allowed[*]})" >&2
    status=1
  fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
# Every include of the program's headers points to the room itself or below it.
for room in "${!allowed[@]}"; do
  [ -d "$room" ] || continue
  while IFS= read -r hit; do
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$hit")
    top=${header%%/*}
    if [ -d "$top" ] && ! may_include "$room" "$header"; then
      echo "layer violation: $hit ($room may include only: ${allowed[$room]})" >&2
      status=1
    fi
  done < <(find "$room" -maxdepth 1 \( -name '*.h' -o -name '*.cpp' \) -print0 |
           xargs -0 grep -nE '#include "[a-z_]+/' || true)
done
# The libraries follow the same rooms, have no cycle, and some reach no widgets.
rules=$(for room in "${!allowed[@]}"; do echo "$room=${allowed[$room]}"; done)
denied=$(for lib in "${!denied_qt[@]}"; do echo "$lib=${denied_qt[$lib]}"; done)
python3 ../scripts/library-layers.py . "$rules" "$denied" || status=1
# No two classes include each other, directly or around a loop.
python3 ../scripts/include-cycles.py . >/dev/null || status=1
# Trace lines are written by one module only.
if grep -rnE 'std::(cout|cerr|clog)|\bq(Debug|Info)\(' --include='*.cpp' --include='*.h' . | grep -v '^./data/io/trace\.'; then
  echo "trace lines outside data/io/trace.h: use trace::out, trace::err or trace_debug()" >&2
  status=1
fi
[ $status -eq 0 ] && echo "layers: every include and every library link points down, the batch links no widgets; trace lines go through data/io/trace.h"
exit $status
