#!/usr/bin/env bash
# Cross-builds Qt 6 (qtbase, Debian's own source package qt6-base) for
# 64-bit Windows, once, into $VANTOR_WINDOWS_DEPS/qt6 (~/.cache/vantor-windows):
# static Core, Gui, Widgets and Test with the Windows and offscreen platform
# plugins, and nothing the desktop program does not use (no D-Bus, SQL,
# network, OpenGL, Vulkan or printing; no tablet events, whose Wintab header
# Debian's source leaves out). moc, rcc and uic are the host's
# (qt6-base-dev-tools, the same Qt version). Debian packages no Qt for
# mingw-w64, hence this script; it takes about an hour on two cores:
#   packaging/windows/build-deps.sh && packaging/windows/build-qt.sh
# After it, `cmake --preset windows` builds the desktop program vantor.exe too.
# A second run only checks the stamp. VANTOR_JOBS sets the parallel compiles.
set -euo pipefail
source "$(dirname "$0")/common.sh"

recipe=2   # bump when the options below change
install_missing cmake ninja-build dpkg-dev perl qt6-base-dev qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools

qt="$VANTOR_WINDOWS_DEPS/qt6"
stamp="$VANTOR_WINDOWS_DEPS/stamps/qt6"
key="recipe $recipe qt6-base $(candidate_version qt6-base-dev-tools)"
if built_already "$stamp" "$key"; then
    echo "Qt for Windows already built in $qt"
    exit 0
fi
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)

work="$VANTOR_WINDOWS_DEPS/work"
src=$(fetch_source qt6-base "$work/qt6-base" "$host_version") || exit 1
# Two places where Qt 6.4's Windows plugin uses what the options below leave
# out: the dynamic OpenGL loader (only with OpenGL) and the DirectWrite font
# database (compiled into QtGui only with Direct2D).
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$src/src/plugins/platforms/windows/qwindowswindow.cpp"
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"
build="$work/qt6-build"
rm -rf "$build" "$qt"
echo "Configuring Qt $host_version for Windows in $build"
# Qt's own build runs its tools from the host Qt, which must be the same version.
cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$qt" -DBUILD_SHARED_LIBS=OFF \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF -DQT_GENERATE_SBOM=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_icu=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_sql_odbc=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_direct2d1_1=OFF \
    -DFEATURE_tabletevent=OFF
echo "Building Qt for Windows (about an hour on two cores)"
cmake --build "$build" -j "$jobs"
cmake --install "$build" >/dev/null
rm -rf "$work/qt6-base" "$build"
rmdir "$work" 2>/dev/null || true
mark_built "$stamp" "$key"
echo "Qt for Windows ready in $qt"
