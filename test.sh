#!/usr/bin/env bash
# Builds Screen Quillet and runs every test: unit, widget and end-to-end.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
cd build
ctest --output-on-failure --timeout 600
