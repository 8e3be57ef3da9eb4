#!/usr/bin/env bash
# Configures and builds into build/; the program lands at build/quillet.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null 2>&1 && [ ! -f build/CMakeCache.txt ] && generator=(-G Ninja)
cmake -S . -B build "${generator[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"
