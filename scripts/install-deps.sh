#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# skipping those already present. Needs root (apt-get) only when something is missing.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev libgl-dev libxcb1-dev libxcb-shm0-dev libfontconfig-dev
  libbenchmark-dev
  clang-14 libclang-rt-14-dev   # the fuzz targets (scripts/fuzz.sh)
  xvfb xdotool wmctrl xclip x11-utils x11-xserver-utils xauth
  openbox tint2 xfwm4 xfce4-panel dbus-x11 dbus-daemon at-spi2-core python3-pyatspi
  sway xwayland swaybg grim pipewire dbus libglib2.0-bin
  xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk qt6-wayland
  gnome-shell xdg-desktop-portal-gnome gnome-screenshot
  python3 python3-dbus python3-gi passwd
  fonts-liberation fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
