#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --tests, testing) needs.
# Touches apt only when something is missing, so it is cheap to run every time.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libmpv-dev libx11-dev libxi-dev
  fonts-noto-cjk fonts-arphic-ukai qt6-translations-l10n
)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(xvfb xauth xfonts-base libxtst-dev lame desktop-file-utils openbox shared-mime-info)
  # The format check of scripts/test.sh.
  packages+=(clang-format)
  # FLAC and Ogg Vorbis songs the player's tests make.
  packages+=(flac vorbis-tools)
  # Sound servers the player test and the readout benchmark start privately, with their clients.
  packages+=(pulseaudio pulseaudio-utils pipewire pipewire-bin pipewire-pulse wireplumber dbus
             libpulse-dev libpipewire-0.3-dev)
  # mkfs.ext4 and mount, for the full and read-only disks of the save tests.
  packages+=(e2fsprogs mount)
  # A private KDE Wayland desktop for the global shortcut's test: KWin, the desktop portal with its
  # KDE backend (a Qt 5 program), Qt's Wayland plugins, and the fake input protocol's XML and tools.
  packages+=(kwin-wayland xwayland xdg-desktop-portal xdg-desktop-portal-kde qtwayland5 qt6-wayland
             plasma-wayland-protocols libwayland-dev libwayland-bin)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
