#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (address + undefined sanitizers), replays every
# input of fuzz/regressions/ through each target, then fuzzes each target in turn from the seed corpus
# with the dictionary. Usage: scripts/fuzz.sh MINUTES (in all, default 1) or scripts/fuzz.sh --seconds N.
# Exits non-zero on any finding; the failing input is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

total=60
if [ "${1:-}" = "--seconds" ]; then
  total="${2:?seconds}"
elif [ -n "${1:-}" ]; then
  total=$(( $1 * 60 ))
fi

if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzzing skipped"
  exit 0
fi

export CCACHE_BASEDIR="$PWD"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" >build-fuzz/build.log 2>&1 || { tail -40 build-fuzz/build.log; exit 1; }

targets=(loader_eobsmb loader_mbd loader_gps_eobsmb loader_gps_mbd loader_named_acc loader_named_gps chain
         zip_package animals parallel_lines labels_file axis_ticks model_file mbtiles_file)
seeds_of() {
  case "$1" in
    loader_gps_* | loader_named_gps) echo gps ;;
    chain) echo chain ;;
    zip_package) echo zip ;;
    animals) echo herd ;;
    axis_ticks) echo ticks ;;
    labels_file) echo labels ;;
    model_file) echo model ;;
    mbtiles_file) echo mbtiles ;;
    *) echo acc ;;
  esac
}
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1

mkdir -p build-fuzz/findings
status=0
for t in "${targets[@]}"; do
  exe="build-fuzz/fuzz_$t"
  # Every input that once failed, replayed as it is.
  if ! "$exe" -runs=1 fuzz/regressions/* >build-fuzz/findings/regressions-$t.log 2>&1; then
    echo "fuzz_$t: a regression input fails (build-fuzz/findings/regressions-$t.log)"
    status=1
    continue
  fi
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  log="build-fuzz/findings/$t.log"
  if "$exe" -max_total_time="$each" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -dict=fuzz/dornvale.dict -artifact_prefix=build-fuzz/findings/"$t"- "$work" "fuzz/corpus/$(seeds_of "$t")" \
      >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "fuzz_$t: ${runs} inputs in ${each} s, ${rate}/s, ${cov}"
  else
    echo "fuzz_$t: FINDING (see $log and build-fuzz/findings/)"
    tail -30 "$log"
    status=1
  fi
done
exit $status
