#!/usr/bin/env bash
# The checks with the programs people use Vertigon's exports in, on a built tree (BUILD_DIR holds
# vertigon-cli, vertigon-blender-addon.zip and tests/write_mdls_fixture):
# - Blender headless (-b --factory-startup) installs and enables the add-on from the zip and
#   imports every sample and an MDLS fixture with its animations through File > Import's
#   operator (check_addon.py);
# - f3d (under Xvfb) draws each sample's export, which must fill between a third and 95 % of the
#   picture's height: tools that frame by the mesh's own bounds see the model as shown.
# Pictures to look at are left in BUILD_DIR/blender-check/. Exits 77 (skipped) when Blender,
# NumPy for its glTF importer, f3d or xvfb-run is missing; scripts/blender_check.sh installs them.
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ $# -ne 1 ]; then
  echo "usage: tests/blender/run_checks.sh BUILD_DIR" >&2
  exit 64
fi
for program in blender f3d xvfb-run; do
  if ! command -v "$program" >/dev/null; then
    echo "skipped: $program is not installed (scripts/blender_check.sh installs it)"
    exit 77
  fi
done
if [ ! -d /usr/lib/python3/dist-packages/numpy ]; then
  echo "skipped: python3-numpy is not installed (scripts/blender_check.sh installs it)"
  exit 77
fi

# Blender's own start and quit lines say nothing about the files.
blender_run() {
  local status=0 output
  output=$(blender -b --factory-startup --python-exit-code 1 "$@" 2>&1) || status=$?
  grep -v -e '^Blender [0-9]' -e '^Read prefs' -e '^Blender quit' -e '^$' -e 'ALSA' -e '^EGL Error' \
    -e 'fallback to surfaceless EGL' <<<"$output" || true
  return "$status"
}

build=$(realpath "$1")
work="$build/blender-check"
rm -rf "$work"
mkdir -p "$work/tmp" "$work/fixture" "$work/config"
"$build/tests/write_mdls_fixture" "$work/fixture"
cli="$build/vertigon-cli"
samples=("$PWD/samples/demo.ffb" "$PWD/samples/mdlx_sample.mdlx" "$PWD/samples/winged_totem.raw")

status=0
echo "== Blender: the add-on"
# A user folder of its own, so the add-on is installed into nobody's Blender; a temporary folder
# of its own, to see that the add-on leaves nothing in it.
BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/config/scripts" TMPDIR="$work/tmp" \
  blender_run --python tests/blender/check_addon.py -- \
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
