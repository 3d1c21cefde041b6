#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Vertigon needs.
# Idempotent: when everything is already installed it changes nothing. With --arm64 it also
# installs what scripts/cross-check.sh needs: the arm64 cross compiler and the arm64 libraries
# (adding Debian's arm64 architecture to dpkg).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  zlib1g-dev libpng-dev libimagequant-dev nlohmann-json3-dev libtinygltf-dev libcli11-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libwxgtk3.2-dev
  libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  xvfb xauth libx11-dev
  binutils-mipsel-linux-gnu qemu-user
  clang-14 libfuzzer-14-dev llvm-14
  emscripten chromium
  blender python3-numpy f3d
  librsvg2-bin desktop-file-utils shared-mime-info libglib2.0-bin man-db
  dpkg-dev file lintian
)

arm64=0
if [ "${1:-}" = "--arm64" ]; then
  arm64=1
  packages+=(g++-aarch64-linux-gnu zlib1g-dev:arm64 libpng-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node and npm run the glTF validator; a machine may have them from elsewhere than Debian.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
if [ "$arm64" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  "${sudo[@]}" dpkg --add-architecture arm64
fi
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
