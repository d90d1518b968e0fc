#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts Dornvale.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DDORNVALE_BUILD_TESTS=OFF -DDORNVALE_BUILD_BENCH=OFF >/dev/null
cmake --build build-release --target dornvale -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY is not set). Dornvale is a desktop program and needs one;" >&2
  echo "run.sh: start it from a graphical session, or try it under a virtual one: xvfb-run ./run.sh" >&2
  exit 1
fi
exec ./build-release/dornvale "$@"
