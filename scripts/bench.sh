#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs every one of them; prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
mkdir -p bench-data
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDORNVALE_BUILD_TESTS=OFF -DDORNVALE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2

for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
