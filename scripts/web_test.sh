#!/usr/bin/env bash
# The browser edition's tests: builds the site (scripts/web.sh --build-only), writes the test
# files with the native fixture writer, and runs web/tests/ with node's own runner: the module in
# node (info against the native tool, refusals, the fuzz corpora) and the page in headless
# Chromium (WebGL2 on SwiftShader, driven by npm puppeteer-core; no browser download).
# Needs the native Debug tree of the test command (build/test) for vertigon-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/web.sh --build-only
if [ ! -f build/test/build.ninja ]; then
  cmake -S . -B build/test -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=Debug -DVERTIGON_SANITIZE=ON -DVERTIGON_WERROR=ON
fi
cmake --build build/test --target vertigon-cli make_web_fixtures
build/test/make_web_fixtures build/web/fixtures >/dev/null

puppeteer_version=$(node -p "require('./web/tests/package.json').dependencies['puppeteer-core']")
if [ ! -d "build/web/node/node_modules/puppeteer-core" ] ||
   [ "$(node -p "require('./build/web/node/node_modules/puppeteer-core/package.json').version")" != "$puppeteer_version" ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix build/web/node --no-audit --no-fund --no-save "puppeteer-core@$puppeteer_version"
fi

# The native tool is the sanitizer build: its leak report at exit is not what these tests check.
export ASAN_OPTIONS="detect_leaks=0"
node --no-experimental-fetch --test --test-concurrency=1 web/tests/
