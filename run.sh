#!/usr/bin/env bash
# One-step set-up and run for a Debian 12 machine.
#   ./run.sh          install what is missing, build, then open the desktop
#                     program when a display is available, otherwise generate
#                     a single mission headless
#   ./run.sh test     install what is missing, build, run the whole test suite
#                     (optimised build, then AddressSanitizer + UBSan build),
#                     then build the libFuzzer targets with clang (not run),
#                     then the Windows build under Wine (see windows_test)
#   ./run.sh city [options]       generate a single mission headless
#   ./run.sh campaign [options]   generate a campaign headless
# Options go to vantor-cli, e.g. ./run.sh city --seed 42 --size medium
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra qt6-base-dev
          libpng-dev help2man desktop-file-utils appstream dpkg-dev lintian locales qt6-translations-l10n hyperfine
          clang libclang-rt-14-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
    fi
}

# The tests write files under a decimal-comma locale (Czech) to prove the
# numbers in them do not follow the locale; generate it once.
ensure_test_locale() {
    locale -a 2>/dev/null | grep -qix 'cs_CZ\.utf-\?8' && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    grep -q '^# *cs_CZ\.UTF-8' /etc/locale.gen || echo '# cs_CZ.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo sed -i 's/^# *cs_CZ\.UTF-8/cs_CZ.UTF-8/' /etc/locale.gen
    $sudo locale-gen
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

# The Windows programs, cross-built with mingw-w64 and run under Wine: the
# test suite, the byte identity with the Linux build (windows.byte-identity),
# and the zip and installer a player downloads. The desktop program is built
# and tested too when the Qt for Windows cache exists (build-qt.sh, once).
windows_test() {
    local start=$SECONDS
    packaging/windows/build-deps.sh
    export WINEPREFIX="$PWD/build/windows/wine" WINEDEBUG=-all
    # The wine server is kept between programs; stopped when the run ends.
    trap 'wineserver -k 2>/dev/null || true' EXIT
    build windows
    ctest --preset windows -j "$(nproc)"
    packaging/windows/package.sh
    packaging/windows/installer-test.sh
    echo "Windows build, tests and packages: $((SECONDS - start)) s"
}

mode="${1:-auto}"
[ $# -gt 0 ] && shift
install_missing
ensure_test_locale
case "$mode" in
    test)
        build release
        ctest --preset release -j "$(nproc)"
        build sanitize
        ctest --preset sanitize -j "$(nproc)"
        build fuzz
        windows_test
        ;;
    auto)
        build release
        if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
            exec ./build/release/bin/vantor
        fi
        echo "No display here: generating a single mission headless instead."
        echo "On a desktop, open the program with: $(pwd)/build/release/bin/vantor"
        ./build/release/bin/vantor-cli city
        echo "The city's files are in $(pwd)/build/release/bin/atlas/"
        ;;
    city|campaign)
        build release
        ./build/release/bin/vantor-cli "$mode" "$@"
        echo "The files are in $(pwd)/build/release/bin/atlas/"
        ;;
    *)
        echo "usage: ./run.sh [test | city [options] | campaign [options]]" >&2
        exit 2
        ;;
esac
