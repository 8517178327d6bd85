#!/usr/bin/env bash
# Installs the Debian packages rigDials needs to build, test and render.
# Idempotent: packages already present are left as they are.
set -euo pipefail
packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri xvfb xauth libpng-dev libjpeg-dev libx11-dev
          clang clang-format libclang-rt-14-dev valgrind)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
