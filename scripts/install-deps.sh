#!/usr/bin/env bash
# Installs the Debian packages Kestrum needs to build, test and run.
# Idempotent: only packages that are missing are installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ lld make pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  socat xvfb clang-format fonts-dejavu-core
  qt6-svg-dev  # scripts/draw-icons.sh writes the application icon as SVG too
  ser2net      # the network port tests serve a pseudo-terminal over RFC 2217 and raw TCP
  libtomlplusplus-dev  # sequence files are TOML
  python3-junitparser  # the sequence runner's test reads its JUnit report as a CI system would
  # make package and the install tests: CPack's dependency list (dpkg-shlibdeps, file), the
  # checks of the .deb, the desktop files and the manual page.
  dpkg-dev file lintian desktop-file-utils appstream man-db groff-base
)
if [[ "${KESTRUM_WITH_FUZZ:-0}" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
