#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless, then again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

# Each phase is announced with the seconds the one before it took.
SECONDS=0
phase() { echo "== $1 (last phase ${SECONDS} s)"; SECONDS=0; }

./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

phase "layers"
./scripts/check-layers.sh
jobs="$(nproc)"

phase "build (tests)"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORNVALE_BUILD_BENCH=ON >/dev/null
cmake --build build-test -j"$jobs"

phase "build (address + undefined sanitizers)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDORNVALE_SANITIZE=ON -DDORNVALE_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"

status=0
phase "tests (sanitizers)"
(cd build-asan && ctest --output-on-failure -j"$jobs") || status=1
phase "tests"
(cd build-test && ctest --output-on-failure -j"$jobs") || status=1
phase "fuzzing (about 60 s in all, when clang is present)"
./scripts/fuzz.sh --seconds 60 || status=1
phase "done"
exit $status
