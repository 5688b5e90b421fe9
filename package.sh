#!/usr/bin/env bash
# Installs what is missing, builds Corvale in Release for /usr and writes the
# Debian package into dist/:  sudo apt install ./dist/corvale_*.deb
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh dpkg-dev file
# Debian's hardening flags, as a package built by the Debian tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_BENCH=OFF > /dev/null
cmake --build build-package
rm -f dist/corvale_*.deb
(cd build-package && cpack -G DEB)
ls dist/corvale_*.deb
