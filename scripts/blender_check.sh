#!/usr/bin/env bash
# Checks Vertigon's exports and its Blender add-on with the programs people use them in,
# installing Debian's blender, python3-numpy and f3d when missing (large installs, which the
# test command leaves out; its Blender test runs wherever they are installed).
#
#   scripts/blender_check.sh            builds what the checks need in build/test (configured as
#                                       scripts/test.sh does when it is not yet; VERTIGON_BUILD_DIR
#                                       picks another tree) and runs tests/blender/run_checks.sh
#   scripts/blender_check.sh FILE.glb   prints what Blender's own importer makes of one export:
#                                       bones, vertices, actions, a few animated vertex positions
#                                       and bone heads in glTF axes (Y up), at 40 frames per second,
#                                       the viewer's clock, so Blender frame F is the pose that
#                                       `vertigon-cli pose MODEL --animation G:I --time F` prints
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 1 ] || { [ $# -eq 1 ] && [[ "$1" == -* ]]; }; then
  echo "usage: scripts/blender_check.sh [FILE.glb]" >&2
  exit 64
fi

# Blender's glTF importer needs numpy, which the blender package only recommends.
needed=(blender python3-numpy)
[ $# -eq 0 ] && needed+=(f3d xvfb xauth)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${needed[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  flock /tmp/apt.lock "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ $# -eq 1 ]; then
  status=0
  output=$(blender -b --factory-startup --python-exit-code 1 --python tests/blender/print_import.py \
    -- "$(realpath "$1")" 2>&1) || status=$?
  # Blender's own start and quit lines say nothing about the file.
  grep -v -e '^Blender [0-9]' -e '^Read prefs' -e '^Blender quit' -e '^$' -e 'ALSA' <<<"$output" || true
  exit "$status"
fi

build=${VERTIGON_BUILD_DIR:-build/test}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=Debug -DVERTIGON_SANITIZE=ON -DVERTIGON_WERROR=ON
fi
cmake --build "$build" --target vertigon-cli vertigon_blender_addon write_mdls_fixture
exec tests/blender/run_checks.sh "$build"
