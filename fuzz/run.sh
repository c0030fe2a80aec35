#!/usr/bin/env bash
# Runs fuzz targets one after another, each for SECONDS (default 600).
#
#   fuzz/run.sh [-t SECONDS] [NAME...]      (default: every target)
#
# Needs the fuzz build (fuzz/README.md) in ${FUZZ_BUILD:-build-fuzz}. Each target
# starts from its seed corpus and keeps what it finds in FUZZ_BUILD/work/NAME;
# a crashing input lands in fuzz/crashers/NAME/ (keep it: the tests replay it).
# The last line of FUZZ_BUILD/logs/NAME.log holds the run's figures.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=600
if [ "${1:-}" = "-t" ]; then seconds=$2; shift 2; fi
build=${FUZZ_BUILD:-build-fuzz}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for f in fuzz/targets/*_fuzz.cpp; do n=$(basename "$f" _fuzz.cpp); targets+=("$n"); done
fi
mkdir -p "$build/logs"
status=0
for name in "${targets[@]}"; do
  exe="$build/bin/fuzz_$name"
  [ -x "$exe" ] || { echo "$name: $exe not built" >&2; status=1; continue; }
  mkdir -p "$build/work/$name" "fuzz/crashers/$name"
  log="$build/logs/$name.log"
  # Leaks are real findings too, but libFuzzer's leak check stops the run at the
  # first one; -detect_leaks stays on so a leak is a crasher like any other.
  "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
         -artifact_prefix="fuzz/crashers/$name/" "$build/work/$name" "fuzz/corpus/$name" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^stat::.*//;s/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  echo "$name: exit $rc, ${runs:-?} executions in ${secs:-?} s" | tee -a "$build/logs/summary.txt"
  [ $rc -eq 0 ] || status=1
done
exit $status
