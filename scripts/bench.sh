#!/usr/bin/env bash
# Builds a Release build of the benchmarks and runs every one of them (bench_* in bench/).
# Benchmarks print their own results; they are not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDORNVALE_BUILD_TESTS=OFF -DDORNVALE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"

status=0
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@" || status=1
done
exit $status
