# Cross-build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model,
# so std::thread and std::mutex work), run under Wine for tests and for the
# build steps that execute our own programs (vantor-assets, test discovery).
#
# The libraries Debian does not package for mingw (FreeType, GoogleTest,
# libpng, Qt) come from the cache folder packaging/windows/build-deps.sh and
# build-qt.sh fill: $VANTOR_WINDOWS_DEPS, else ~/.cache/vantor-windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTOR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTOR_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${VANTOR_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VANTOR_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# One self-contained .exe: libgcc, libstdc++ and winpthread linked in, so a
# player needs no DLL beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

if(DEFINED ENV{VANTOR_WINDOWS_DEPS} AND NOT "$ENV{VANTOR_WINDOWS_DEPS}" STREQUAL "")
    set(VANTOR_WINDOWS_DEPS "$ENV{VANTOR_WINDOWS_DEPS}")
else()
    set(VANTOR_WINDOWS_DEPS "$ENV{HOME}/.cache/vantor-windows")
endif()
set(VANTOR_WINDOWS_QT "${VANTOR_WINDOWS_DEPS}/qt6")

# Libraries and headers only from the mingw sysroot and the cache; programs
# (moc, rcc, uic, help2man, gzip) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTOR_MINGW_TRIPLET} ${VANTOR_WINDOWS_DEPS} ${VANTOR_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# mingw's zlib ships an import library too; the static one keeps the
# programs free of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Qt's cross build runs the host's moc, rcc and uic (qt6-base-dev-tools).
set(QT_HOST_PATH /usr CACHE PATH "Host Qt for moc, rcc and uic")

# Our programs run under Wine in their own prefix (see wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

# The desktop program is built when the cached Qt for Windows is there
# (build-qt.sh makes it once); -DVANTOR_BUILD_GUI=ON/OFF overrides.
if(NOT DEFINED CACHE{VANTOR_BUILD_GUI})
    if(EXISTS "${VANTOR_WINDOWS_QT}/lib/cmake/Qt6/Qt6Config.cmake")
        set(VANTOR_BUILD_GUI ON)
    else()
        set(VANTOR_BUILD_GUI OFF)
    endif()
endif()
