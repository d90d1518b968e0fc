#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench/), generates their data in bench-data/ if missing
# and prints the figures of every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDORNVALE_BUILD_TESTS=OFF -DDORNVALE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2
mkdir -p bench-data

echo "== acceleration readers (200,000 bursts of 3 x 110 values)"
for layout in eobs fixed; do
  file="bench-data/acc-${layout}.csv"
  [ -f "$file" ] || ./build-bench/bench/acc_gen "$layout" 200000 110 "$file"
  ./build-bench/bench/bench_acc_load "$layout" "$file" 2>/dev/null | grep -v '^header fields\|^lines' || true
done

for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  case "$(basename "$b")" in bench_acc_load) continue ;; esac
  echo "== $(basename "$b")"
  "$b"
done
