#!/usr/bin/env bash
# Installs what the benchmarks on a virtual display need beyond ./test.sh's
# packages: the X Damage library they watch the screen with, and Flameshot
# (with a D-Bus session launcher) to measure against in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
packages=(libxcb-damage0-dev flameshot dbus-daemon dbus-bin)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
