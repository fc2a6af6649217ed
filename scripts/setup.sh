#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and be tested, and only the
# ones that are missing. Safe to run again; needs root (or sudo) only when something is missing.
# Packages named as arguments are installed along with them (scripts/package.sh names its tools).
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libfluidsynth-dev fluidsynth libasound2-dev libpulse-dev timgm6mb-soundfont
  pulseaudio pulseaudio-utils
  fonts-liberation fonts-liberation2 fonts-noto-color-emoji
  googletest libgtest-dev
  xvfb xauth libx11-dev desktop-file-utils appstream
  libarchive-dev qt6-image-formats-plugins qt6-svg-dev shared-mime-info libxml2-utils
  qt6-wayland
  dbus dbus-daemon at-spi2-core python3-pyatspi
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
