#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers and
# leak detection in build-asan/, and runs the whole test suite there, the
# end-to-end rows included. Every process a test starts (the program itself
# too) writes any report to build-asan/sanitizer-reports/; a single one fails
# the run, even from a process whose exit nobody checks. Leaks in system
# libraries that the program cannot free are named, with the reason, in
# scripts/sanitize-leaks.supp.
#   scripts/sanitize.sh [ctest arguments, e.g. -R test_picture]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ ! -f build-asan/CMakeCache.txt ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  # The benchmarks time nothing here: left out, the build is shorter.
  cmake -S . -B build-asan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build build-asan --parallel "$(nproc)"

reports=$root/build-asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_init_order=1:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitize-leaks.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
status=0
(cd build-asan && ctest --output-on-failure --timeout 900 --repeat until-pass:2 "$@") || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports (each file is one process):" >&2
  for f in "$reports"/*; do
    echo "== $f" >&2
    head -60 "$f" >&2
  done
  status=1
fi
exit $status
