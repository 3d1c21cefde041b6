#!/usr/bin/env bash
# Builds Vertigon for the browser into build/web/site/ (index.html and the files it loads, all by
# relative URLs, so the folder works from any static host and any sub-path) and serves it on
# http://127.0.0.1:8080/. `--build-only` only builds.
#
# The WebAssembly module is the same scene, format, emulator, renderer and exporter libraries as
# the desktop's, built with Debian's Emscripten. zlib and libpng for WebAssembly are built once
# from Debian's source packages (Emscripten's ports would download them).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build_only=false
for arg in "$@"; do
  case "$arg" in
    --build-only) build_only=true ;;
    *) echo "usage: scripts/web.sh [--build-only]" >&2; exit 2 ;;
  esac
done

scripts/setup.sh >&2

# Debian's emcc looks for node modules (acorn) where Debian puts them.
export NODE_PATH=/usr/share/nodejs
web=$root/build/web
deps=$web/deps
prefix=$deps/prefix
mkdir -p "$deps"

# ---- zlib and libpng from Debian's sources, without touching /etc ----
if [ ! -f "$prefix/lib/libpng.a" ] || [ ! -f "$prefix/lib/libz.a" ]; then
  apt_root=$deps/apt
  mkdir -p "$apt_root/lists/partial" "$apt_root/cache/archives/partial" "$apt_root/sources.list.d"
  cat >"$apt_root/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
EOF
  cat >"$apt_root/apt.conf" <<EOF
Dir::Etc::SourceList "$apt_root/sources.list";
Dir::Etc::SourceParts "$apt_root/sources.list.d";
Dir::State::Lists "$apt_root/lists";
Dir::Cache "$apt_root/cache";
EOF
  export APT_CONFIG=$apt_root/apt.conf
  sources=$deps/sources
  rm -rf "$sources" && mkdir -p "$sources"
  apt-get update -qq >&2
  (cd "$sources" && apt-get source -qq --download-only zlib libpng1.6 >&2 &&
    for dsc in *.dsc; do dpkg-source -x "$dsc" >/dev/null; done)
  unset APT_CONFIG

  zlib_dir=$(find "$sources" -maxdepth 1 -type d -name 'zlib-*' | head -1)
  (cd "$zlib_dir" && emconfigure ./configure --static --prefix="$prefix" >/dev/null &&
    emmake make -j2 libz.a >/dev/null && emmake make install >/dev/null)

  png_dir=$(find "$sources" -maxdepth 1 -type d -name 'libpng1.6-*' | head -1)
  emcmake cmake -S "$png_dir" -B "$deps/libpng-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" >/dev/null
  cmake --build "$deps/libpng-build" -j 2 >/dev/null
  cmake --install "$deps/libpng-build" >/dev/null
fi

# ---- the module ----
# nlohmann-json and tinygltf are header-only: a folder holding only their headers, not the
# system's includes.
mkdir -p "$web/json-include"
ln -sfn /usr/include/nlohmann "$web/json-include/nlohmann"
ln -sfn /usr/include/tiny_gltf.h "$web/json-include/tiny_gltf.h"
ln -sfn /usr/include/CLI "$web/json-include/CLI"
emcmake cmake -S . -B "$web/module" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_WERROR=ON \
  -DVERTIGON_BUILD_TESTS=OFF -DVERTIGON_WEB_JSON_INCLUDE="$web/json-include" \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DPNG_LIBRARY="$prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$prefix/include" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="/usr/bin/node;--no-experimental-fetch" >/dev/null
cmake --build "$web/module" --target vertigon_web -j 2

# ---- the site: the page and the module, nothing else ----
site=$web/site
rm -rf "$site" && mkdir -p "$site"
cp web/page/index.html web/page/app.js web/page/style.css "$site/"
cp "$web/module/web/vertigon.js" "$web/module/web/vertigon.wasm" "$site/"
echo "Built $site ($(du -sk "$site" | cut -f1) KiB)"

if ! $build_only; then
  echo "Serving $site on http://127.0.0.1:8080/ (Ctrl+C stops)"
  exec python3 -m http.server 8080 --bind 127.0.0.1 --directory "$site"
fi
