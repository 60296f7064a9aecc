#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it with lintian.
#   packaging/build-deb.sh        -> build/release/vantor_<version>_<arch>.deb
# Install it with: sudo apt install ./build/release/vantor_*.deb
# Needs cmake, dpkg-dev (dpkg-shlibdeps computes the dependencies), help2man
# and lintian; ./run.sh installs them.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" \
    --target vantor vantor-cli vantor-data vantor-icons vantor-man vantor-changelog
rm -f build/release/vantor_*.deb
(cd build/release && cpack -G DEB)
deb=$(ls build/release/vantor_*.deb)
echo "Package: $deb"
dpkg-deb --field "$deb"
# Errors fail the script; warnings and notes are shown.
lintian --fail-on error --display-info "$deb"
echo "lintian: no errors in $deb"
