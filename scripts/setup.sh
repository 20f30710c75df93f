#!/usr/bin/env bash
# Installs the Debian packages Kalmira needs to build, test and run (only those missing).
set -euo pipefail
PACKAGES="build-essential clang libclang-rt-dev cmake pkg-config qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools
  qt6-translations-l10n
  libgl-dev libgtest-dev libbenchmark-dev libboost-dev libeigen3-dev fonts-liberation fonts-dejavu-core"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
