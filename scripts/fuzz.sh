#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang, libFuzzer and the address
# and undefined-behaviour sanitizers in build-fuzz/, and runs each one for
# SECONDS (default 60) or 1,000,000 executions, whichever comes first. An
# input that takes over 1 s, allocates over 512 MB, leaks or breaks a sanitizer
# or a check of the target fails the run; it is kept in
# build-fuzz/artifacts/<target>/ to be added to the corpus and a test.
#   scripts/fuzz.sh [--merge] [SECONDS] [TARGET...]
# New inputs collect in build-fuzz/corpus/<target>/; --merge then adds those
# that reach new edges to the seeds in tests/fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [ "${1:-}" = --merge ]; then merge=1; shift; fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
wanted=("$@")

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
  echo "fuzz.sh needs clang (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  cmake -S . -B build-fuzz "${generator[@]}" -DQUILLET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
nice -n 19 cmake --build build-fuzz --parallel "$(nproc)" --target quillet_fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# CPU seconds the program takes for one input alone.
cpu_seconds() {
  local TIMEFORMAT='%3U %3S' took
  took=$( { time "$1" "$2" >/dev/null 2>&1; } 2>&1 ) || true
  echo "$took" | awk '{ print $1 + $2 }'
}

# Runs one target until its time or its executions are used up. libFuzzer's
# timeout counts wall time, and on a shared machine a niced fuzzer can wait
# longer than that for the processor: an input reported as a hang that takes
# under a second of processor time alone is set aside and the run goes on.
run_target() {
  local name=$1 program=$2 seeds=$3 dict=$4 log=$5
  local work=build-fuzz/corpus/$name artifacts=build-fuzz/artifacts/$name/
  mkdir -p "$work" "$artifacts"
  : >"$log"
  local started=$SECONDS runs_left=1000000 status=0
  while :; do
    local left=$((seconds - (SECONDS - started)))
    [ $left -gt 0 ] && [ $runs_left -gt 0 ] || return 0
    local options=(-max_total_time="$left" -runs="$runs_left" -timeout=1 -malloc_limit_mb=512 -rss_limit_mb=4096
                   -print_final_stats=1 -artifact_prefix="$artifacts")
    [ -n "$dict" ] && options+=(-dict="$dict")
    status=0
    nice -n 19 "$program" "${options[@]}" "$work" "$seeds" >>"$log" 2>&1 || status=$?
    local done_runs
    done_runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$' || echo 0)
    runs_left=$((runs_left - done_runs))
    [ $status -eq 0 ] && return 0
    local hang
    hang=$(ls -t "$artifacts"timeout-* 2>/dev/null | head -1)
    [ -n "$hang" ] && grep -q 'ERROR: libFuzzer: timeout' <(tail -40 "$log") || return $status
    local cpu
    cpu=$(cpu_seconds "$program" "$hang")
    if awk "BEGIN { exit !($cpu >= 1) }"; then return $status; fi
    echo "   $(basename "$hang") took $cpu s of processor time alone: the machine was busy, going on" | tee -a "$log"
    mkdir -p build-fuzz/set-aside
    mv "$hang" build-fuzz/set-aside/
  done
}

failed=0
report=build-fuzz/fuzz-report.txt
: >"$report"
while read -r name program seeds dict; do
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " =~ " $name " ]]; then continue; fi
  log=build-fuzz/fuzz-$name.log
  echo "== $name: up to $seconds s or 1,000,000 executions"
  started=$SECONDS
  status=0
  run_target "$name" "$program" "$seeds" "${dict:-}" "$log" || status=$?
  took=$((SECONDS - started))
  start=$(grep -m1 -E 'INITED' "$log" | grep -oE 'cov: [0-9]+' || echo 'cov: ?')
  end=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+' || echo 'cov: ?')
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | awk '{ n += $2 } END { print n + 0 }')
  first=$(grep -m1 -E 'INITED' "$log" | grep -oE 'corp: [0-9]+/[0-9]+[a-zA-Z]*' || echo 'corp: ?')
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'corp: [0-9]+/[0-9]+[a-zA-Z]*' || echo 'corp: ?')
  line="$name: $runs executions in $took s, edges ${start#cov: } at start and ${end#cov: } at end,"
  line="$line corpus ${first#corp: } at start and ${last#corp: } at end (inputs/bytes)"
  if [ $status -ne 0 ]; then
    line="$line; FAILED (exit $status), see $log and build-fuzz/artifacts/$name/"
    failed=1
    grep -E 'ERROR|SUMMARY|broken:|runtime error' "$log" | tail -5 >&2 || true
  fi
  echo "$line" | tee -a "$report"
  if [ $merge -eq 1 ] && [ $status -eq 0 ]; then
    nice -n 19 "$program" -merge=1 -use_counters=0 "$seeds" "build-fuzz/corpus/$name" >>"$log" 2>&1
    echo "   seeds now $(ls "$seeds" | wc -l) files, $(du -sk "$seeds" | cut -f1) KB"
  fi
done <build-fuzz/fuzz-targets.txt
exit $failed
