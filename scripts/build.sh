#!/usr/bin/env bash
# Configures build/ once and builds the targets named (all of them when none
# is named) on every core; the program lands at build/quillet.
#   scripts/build.sh            everything: program, tests, benchmarks, icons
#   scripts/build.sh quillet    the program alone
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  cmake -S . -B build "${generator[@]}" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build --parallel "$(nproc)" "${targets[@]}"
