#!/usr/bin/env bash
# Makes what a Windows player downloads, in build/windows/package/:
#   vantor-<version>-windows-x64.zip        unzip into Korvane's folder
#   vantor-<version>-windows-x64-setup.exe  installer (Start menu, uninstaller,
#                                           the game's folder asked for)
# It installs the cross-build tools when missing, builds the Windows
# libraries (build-deps.sh), the programs (windows preset) and draws data/.
# vantor.exe is included when the Qt for Windows cache exists (build-qt.sh,
# once); without it the packages hold vantor-cli.exe only and say so.
# Both files are reproducible: same sources, same bytes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/build-deps.sh"
source "$here/common.sh"
cd "$source_dir"

command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target vantor-cli vantor-data
# The desktop program is a target when the build found Qt for Windows.
gui=OFF
ninja -C build/windows -t query vantor >/dev/null 2>&1 && gui=ON
if [ "$gui" = ON ]; then
    cmake --build --preset windows -j "$jobs" --target vantor
else
    echo "note: no Qt for Windows in $VANTOR_WINDOWS_DEPS/qt6 (packaging/windows/build-qt.sh makes it):" \
         "the packages hold vantor-cli.exe only" >&2
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
name="vantor-$version-windows-x64"
out="$source_dir/build/windows/package"
stage="$out/$name"
rm -rf "$out"
mkdir -p "$out"
cmake --install build/windows --prefix "$stage" --strip >/dev/null
# Windows line ends in the text files, so any editor shows them right.
for text in README.txt LICENSE.txt DejaVu-fonts-LICENSE.txt $( [ -f "$stage/qt.conf" ] && echo qt.conf); do
    sed -i 's/\r*$/\r/' "$stage/$text"
done

# Fixed times and a sorted list, so the zip is the same on every run.
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}"
find "$stage" -exec touch -h -d "@$epoch" {} +
(cd "$out" && find "$name" -print | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ "$name.zip")

# The installer lists the data files one by one (its uninstaller removes
# exactly those); paths with backslashes for NSIS.
files="$out/data-files.nsh"
unfiles="$out/data-unfiles.nsh"
: > "$files"
: > "$unfiles"
while IFS= read -r dir; do
    printf 'SetOutPath "$INSTDIR\\%s"\n' "${dir//\//\\}" >> "$files"
done < <(cd "$stage" && find data -type d | LC_ALL=C sort)
while IFS= read -r file; do
    win="${file//\//\\}"
    # (dirname of the forward-slash name: the backslashed one has no folder to dirname)
    printf 'SetOutPath "$INSTDIR\\%s"\nFile "%s\\%s"\n' "$(dirname "$file" | tr / '\\')" "$stage" "$win" >> "$files"
    printf 'Delete "$INSTDIR\\%s"\n' "$win" >> "$unfiles"
done < <(cd "$stage" && find data -type f | LC_ALL=C sort)
while IFS= read -r dir; do
    printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}" >> "$unfiles"
done < <(cd "$stage" && find data -mindepth 1 -type d | LC_ALL=C sort -r)
nsis_gui=()
[ "$gui" = ON ] && nsis_gui=(-DWITH_GUI)
SOURCE_DATE_EPOCH="$epoch" makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$name-setup.exe" \
    -DFILE_LIST="$files" -DUNFILE_LIST="$unfiles" "${nsis_gui[@]}" "$here/vantor.nsi"
rm -f "$files" "$unfiles"

echo "Windows packages:"
ls -l "$out/$name.zip" "$out/$name-setup.exe"
