#!/usr/bin/env bash
# Checks Vertigon's exports and its Blender add-on with the programs people use them in.
#
#   scripts/blender_check.sh            the whole check (below); exit status 0 when all holds
#   scripts/blender_check.sh FILE.glb   prints what Blender's own importer makes of one export
#
# The whole check builds vertigon-cli, the add-on zip and an MDLS fixture writer in build/test
# (configured as scripts/test.sh does when it is not yet; VERTIGON_BUILD_DIR picks another
# tree), then:
# - Blender headless (-b --factory-startup) installs and enables the add-on from the zip and
#   imports every sample and an MDLS fixture with its animations through File > Import's
#   operator: bones, vertices, one NLA track and action per animation, and the bone heads at
#   several frames against `vertigon-cli pose`; a missing tool and an unreadable file are
#   reported, and no temporary folder stays behind (tests/blender/check_addon.py);
# - f3d (under Xvfb) draws each sample's export, which must fill between a third and 95 % of
#   the picture's height: tools that frame by the mesh's own bounds see the model as shown.
# Pictures to look at are left in build/test/blender-check/: NAME_f3d.png and demo_blender.png
# (Workbench, the imported robot at frame 10).
# Not part of the tests: Blender and f3d are large installs (Debian's blender, python3-numpy and
# f3d, installed when missing).
#
# In the one-file mode the scene runs at 40 frames per second, the viewer's clock: Blender frame
# F is the pose that `vertigon-cli pose MODEL --animation G:I --time F` prints. Positions are
# printed back in glTF axes (Y up), so they compare with vertigon-cli pose directly.
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

# Blender's own start and quit lines say nothing about the files.
blender_run() {
  local status=0 output
  output=$(blender -b --factory-startup --python-exit-code 1 "$@" 2>&1) || status=$?
  grep -v -e '^Blender [0-9]' -e '^Read prefs' -e '^Blender quit' -e '^$' -e 'ALSA' <<<"$output" || true
  return "$status"
}

if [ $# -eq 1 ]; then
  blender_run --python tests/blender/print_import.py -- "$(realpath "$1")"
  exit
fi

build=${VERTIGON_BUILD_DIR:-build/test}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=Debug -DVERTIGON_SANITIZE=ON -DVERTIGON_WERROR=ON
fi
cmake --build "$build" --target vertigon-cli vertigon_blender_addon write_mdls_fixture
build=$(realpath "$build")
work="$build/blender-check"
rm -rf "$work"
mkdir -p "$work/tmp" "$work/fixture"
"$build/tests/write_mdls_fixture" "$work/fixture"
cli="$build/vertigon-cli"
samples=("$PWD/samples/demo.ffb" "$PWD/samples/mdlx_sample.mdlx" "$PWD/samples/winged_totem.raw")

status=0
echo "== Blender: the add-on"
TMPDIR="$work/tmp" blender_run --python tests/blender/check_addon.py -- \
  "$build/vertigon-blender-addon.zip" "$cli" "$work" "${samples[@]}" \
  "$work/fixture/chain.mdls=$work/fixture/chain-image.bin" || status=1

echo "== f3d: the samples' exports framed by their own bounds"
pictures=()
for model in "${samples[@]}"; do
  name=$(basename "${model%.*}")
  "$cli" export "$model" -o "$work/$name.glb" 2>/dev/null
  xvfb-run -a -s "-screen 0 1024x768x24" \
    f3d --output="$work/${name}_f3d.png" --resolution=800,600 --bg-color=1,0,1 "$work/$name.glb"
  pictures+=("$work/${name}_f3d.png")
done
blender_run --python tests/blender/picture_height.py -- 0.3333 0.95 "${pictures[@]}" || status=1

echo "Pictures: $work"
exit "$status"
