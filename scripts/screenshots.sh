#!/usr/bin/env bash
# Refreshes the README's pictures in docs/screenshots/: builds the tour program, opens the example
# pair under Xvfb with a private home and saves each window, reduced to a small palette.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j2 --target screenshot_tour
mkdir -p docs/screenshots
home="$(mktemp -d)"
# The activity plot prints the file's path: the examples are opened from a plain folder.
examples=/tmp/dornvale-examples
trap 'rm -rf "$home" "$examples"' EXIT
mkdir -p "$examples"
cp examples/* "$examples/"
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1600x1000x24" build-test/tests/app/screenshot_tour "$examples" docs/screenshots \
  >/dev/null 2>&1
for png in docs/screenshots/*.png; do
  convert "$png" -strip -colors 128 "PNG8:$png"
done
ls -l docs/screenshots
