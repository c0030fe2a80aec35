#!/usr/bin/env bash
# Installs everything the project needs to build, test and run on Debian 12 (as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(
  cmake g++ make pkg-config clang
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libpixman-1-dev libcups2-dev libcupsimage2-dev
  libpng-dev libtiff-dev libjpeg62-turbo-dev nlohmann-json3-dev libcli11-dev libxml2-dev libdeflate-dev
  cups-ipp-utils avahi-daemon dbus poppler-utils qpdf libwmf-bin libtiff-tools
  fonts-urw-base35
  valgrind time
  libclang-rt-14-dev
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
