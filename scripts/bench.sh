#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench/), generates their data in bench-data/ if missing
# and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDORNVALE_BUILD_TESTS=OFF -DDORNVALE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target acc_gen bench_acc_load
mkdir -p bench-data

echo "== acceleration readers (200,000 bursts of 3 x 110 values)"
for layout in eobs fixed; do
  file="bench-data/acc-${layout}.csv"
  [ -f "$file" ] || ./build-bench/bench/acc_gen "$layout" 200000 110 "$file"
  ./build-bench/bench/bench_acc_load "$layout" "$file" 2>/dev/null | grep -v '^header fields\|^lines' || true
done
