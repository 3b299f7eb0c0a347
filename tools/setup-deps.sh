#!/usr/bin/env bash
# Installs what the build needs on a Debian/Ubuntu machine, only where it is missing.
set -euo pipefail

packages=(cmake g++ ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev)
if [[ "${TESSEL_WITH_GUI:-1}" == 1 ]]; then
  packages+=(qt6-base-dev libxkbcommon-dev fonts-dejavu-core)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
