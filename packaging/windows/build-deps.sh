#!/usr/bin/env bash
# Makes what the Windows cross build needs on a Debian 12 machine:
#   - installs mingw-w64 (POSIX threads), Wine, NSIS and zip when missing;
#   - cross-builds, static, into $VANTOR_WINDOWS_DEPS (~/.cache/vantor-windows):
#     FreeType from Debian's source package (no png, bzip2, brotli,
#     harfbuzz: the programs read plain TrueType fonts; its gzip reader uses
#     mingw's zlib, since the copy of zlib FreeType otherwise builds in
#     clashes with that zlib where libpng needs it), GoogleTest from
#     /usr/src/googletest, libpng from Debian's source with mingw's zlib (the
#     assets program writes the icon with it).
# Each library is built once per Debian version of its source; a second run
# only checks the stamps. Qt is made separately, once: build-qt.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"

recipe=1   # bump when the options below change
install_missing cmake ninja-build dpkg-dev ccache \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools \
    libz-mingw-w64-dev wine wine64 nsis zip googletest fonts-dejavu-core fonts-dejavu-extra

mkdir -p "$VANTOR_WINDOWS_DEPS"
stamps="$VANTOR_WINDOWS_DEPS/stamps"
work="$VANTOR_WINDOWS_DEPS/work"

key="recipe $recipe freetype $(candidate_version libfreetype6) zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)"
built_already "$stamps/freetype" "$key" || {
    echo "Cross-building FreeType for Windows"
    src=$(fetch_source freetype "$work/freetype") || exit 1
    cross_cmake "$src" "$work/freetype-build" \
        -DFT_REQUIRE_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    rm -rf "$work/freetype"
    mark_built "$stamps/freetype" "$key"
}

key="recipe $recipe googletest $(dpkg-query -W -f='${Version}' googletest)"
built_already "$stamps/googletest" "$key" || {
    echo "Cross-building GoogleTest for Windows"
    cross_cmake /usr/src/googletest "$work/googletest-build" \
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
    mark_built "$stamps/googletest" "$key"
}

key="recipe $recipe libpng $(candidate_version libpng16-16) zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)"
built_already "$stamps/libpng" "$key" || {
    echo "Cross-building libpng for Windows"
    src=$(fetch_source libpng1.6 "$work/libpng") || exit 1
    cross_cmake "$src" "$work/libpng-build" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_TOOLS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
    rm -rf "$work/libpng"
    mark_built "$stamps/libpng" "$key"
}
rmdir "$work" 2>/dev/null || true
echo "Windows libraries ready in $VANTOR_WINDOWS_DEPS"
