#!/usr/bin/env bash
# Builds Vertigon in Release and shows a model in the viewer: the one given, or the bundled
# sample. Without a display it draws the viewer's first frame into a PNG instead and says where.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF >&2
cmake --build build/release >&2

model="${1:-samples/demo.ffb}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/vertigon "$model"
fi
output="$PWD/build/release/$(basename "${model%.*}")_view.png"
build/release/vertigon-cli render "$model" -o "$output"
echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): the frame the viewer would show for"
echo "$model is in $output"
