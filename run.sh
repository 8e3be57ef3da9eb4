#!/usr/bin/env bash
# Builds the program (only the program) and starts it. Without a desktop to
# show it on, it runs on a virtual display of its own that ends with it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
echo "Building Screen Quillet (build/quillet) on $(nproc) cores..."
scripts/build.sh quillet

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Screen Quillet on display $DISPLAY."
  exec build/quillet
fi

# Xvfb picks a free display number itself and writes it to the descriptor
# given. Its own session keeps Ctrl+C from ending it before the program.
number_file=$(mktemp)
setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$number_file"' EXIT
for _ in $(seq 100); do
  [ -s "$number_file" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "The virtual display (Xvfb) did not start." >&2; exit 1; }
  sleep 0.1
done
[ -s "$number_file" ] || { echo "The virtual display (Xvfb) did not start within 10 s." >&2; exit 1; }
export DISPLAY=":$(head -n1 "$number_file")"

echo "No desktop found: Screen Quillet runs on the virtual display $DISPLAY, which no screen shows; press Ctrl+C here to end it and that display."
set +e
build/quillet &
program=$!
trap 'kill -TERM "$program" 2>/dev/null' INT TERM HUP
wait "$program"
status=$?
while kill -0 "$program" 2>/dev/null; do wait "$program"; status=$?; done
exit "$status"
