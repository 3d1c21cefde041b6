#!/usr/bin/env bash
# Builds Vertigon in Release with Debian's hardening flags and makes the Debian package
# build/package/vertigon_<version>_amd64.deb with CPack (dependencies found by dpkg-shlibdeps),
# then checks it with lintian, which fails the script on errors. Prints the package's path.
# Install it with: sudo apt-get install ./build/package/vertigon_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The about box shows the build date on purpose.
export DEB_CPPFLAGS_MAINT_STRIP=-Wdate-time
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build build/package >&2
rm -f build/package/vertigon_*_amd64.deb
(cd build/package && cpack -G DEB >&2)
package=$(ls build/package/vertigon_*_amd64.deb)
lintian --info "$package" >&2
echo "$package"
