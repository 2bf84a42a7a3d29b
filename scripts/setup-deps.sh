#!/usr/bin/env bash
# Installs the Debian 12 packages Quillmere builds, tests and runs with.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libtag1-dev libsimdjson-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libfftw3-dev ffmpeg
  xvfb xauth dbus pulseaudio pulseaudio-utils playerctl sox fonts-wqy-microhei
  xdotool xcompmgr imagemagick x11-utils libxcb-shape0-dev
  locales
  libuchardet-dev
  qt6-image-formats-plugins qt6-translations-l10n
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Tests that sort or fold text need a real UTF-8 locale (C.UTF-8 ignores numeric collation).
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
