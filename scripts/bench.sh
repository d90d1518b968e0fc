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

echo "== the eobs_ layout gzip-compressed (the 323 MB export below)"
eobs_file="bench-data/open-close_eobs.csv"
[ -f "$eobs_file" ] || ./build-bench/bench/acc_gen eobs 180000 110 "$eobs_file"
[ -f "$eobs_file.gz" ] || gzip -k -6 "$eobs_file"
./build-bench/bench/bench_acc_load eobs "$eobs_file.gz" 2>/dev/null | grep -v '^header fields\|^lines' || true

echo "== named-column reader on a repository download (200,000 bursts, quoted), plain and gzip"
file="bench-data/acc-named.csv"
[ -f "$file" ] || ./build-bench/bench/acc_gen named 200000 110 "$file"
[ -f "$file.gz" ] || gzip -k -6 "$file"
./build-bench/bench/bench_named_load "$file" 2>/dev/null | grep -v '^header fields\|^lines\|^animals' || true
./build-bench/bench/bench_named_load "$file.gz" "$(stat -c %s "$file")" 2>/dev/null | grep -v '^header fields\|^lines\|^animals' || true
TIMEFORMAT="  zcat alone: %R s"
time zcat "$file.gz" >/dev/null

echo "== GPS chain (1,000,000 fixes) and acceleration chain, per byte"
for layout in fixed eobs; do
  case "$layout" in fixed) gps="bench-data/gps-fixed.txt" ;; eobs) gps="bench-data/gps-eobs.csv" ;; esac
  [ -f "$gps" ] || ./build-bench/bench/gps_gen "$layout" 1000000 "$gps"
  ./build-bench/bench/bench_gps_load gps "$gps"
  ./build-bench/bench/bench_gps_load acc "bench-data/acc-${layout}.csv"
done

echo "== acceleration + GPS pairs through both chains (GPS first)"
./build-bench/bench/bench_gps_load pair bench-data/acc-fixed.csv bench-data/gps-fixed.txt
./build-bench/bench/bench_gps_load pair bench-data/acc-eobs.csv bench-data/gps-eobs.csv

echo "== open and close a 323 MB eobs_ acceleration export ten times in the real main window"
eobs_file="bench-data/open-close_eobs.csv"
[ -f "$eobs_file" ] || ./build-bench/bench/acc_gen eobs 180000 110 "$eobs_file"
./build-bench/bench/bench_open_close "$eobs_file" 10

echo "== the same bursts in the fixed layout (300 MB)"
file="bench-data/open-close_acc.txt"
[ -f "$file" ] || ./build-bench/bench/acc_gen fixed 180000 110 "$file"
./build-bench/bench/bench_open_close "$file" 10

echo "== dornvale-batch activity --csv on the same file, without a display (three runs)"
for run in 1 2 3; do
  start=$(date +%s%N)
  env -u DISPLAY -u QT_QPA_PLATFORM ./build-bench/dornvale-batch activity --csv build-bench/batch-activity.csv "$file" >/dev/null
  echo "  run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms"
done

for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  case "$(basename "$b")" in bench_acc_load | bench_gps_load | bench_open_close) continue ;; esac
  echo "== $(basename "$b")"
  "$b"
done
