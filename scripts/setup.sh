#!/usr/bin/env bash
# Installs what is missing on a Debian 12 machine, builds the game into build/,
# then either starts a solo game ("run") or runs every test ("test").
# "sanitize" builds everything into build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test there; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ ccache pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-multimedia-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libsndfile1-dev liblz4-dev libminiupnpc-dev libnatpmp-dev libavahi-client-dev
  fonts-comic-neue fonts-liberation2
  xvfb xauth xdotool xclip openbox pulseaudio
  lintian iproute2 nftables miniupnpd-nftables
  dbus at-spi2-core python3-pyatspi avahi-daemon avahi-utils desktop-file-utils xdg-utils
)

install_missing() {
  local missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)"
}

case "${1:-}" in
  run)
    install_missing
    build
    exec build/hangman
    ;;
  test)
    install_missing
    build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir build --output-on-failure -j2
    ;;
  sanitize)
    install_missing
    cmake --preset sanitize >/dev/null
    cmake --build --preset sanitize -j"$(nproc)"
    ctest --preset sanitize -j2
    ;;
  *)
    echo "usage: $0 run|test|sanitize" >&2
    exit 2
    ;;
esac
