#!/usr/bin/env bash
# Checks the packages package.sh made, under Wine, as a player would use them:
#   - the zip unzipped into a game folder: vantor-cli.exe writes a city into
#     that folder's atlas/ with no options (the program-folder rule);
#   - the installer, silent (/S /GAMEFOLDER=... /D=...): files in bin\ and
#     data\, Start-menu entries, the game folder in the desktop program's
#     settings key, the installed vantor-cli.exe finding its data one level up
#     and writing the same bytes as the zip's; then the uninstaller removes
#     all it installed and leaves the game folder and its atlas alone.
#   installer-test.sh [package folder]   (default build/windows/package)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
out="${1:-$source_dir/build/windows/package}"
wine_run="$source_dir/cmake/wine-run.sh"
export WINEPREFIX="${WINEPREFIX:-$source_dir/build/windows/wine}" WINEDEBUG=-all
zip_file=$(ls "$out"/vantor-*-windows-x64.zip)
setup=$(ls "$out"/vantor-*-windows-x64-setup.exe)
work=$(mktemp -d)
install_dir="$WINEPREFIX/drive_c/VantorInstallerTest"
trap 'rm -rf "$work" "$install_dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
windows_path() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }
gui=no
unzip -l "$zip_file" | grep -q '/vantor.exe$' && gui=yes

echo "zip: $(basename "$zip_file") (desktop program: $gui)"
game="$work/zip-game"
mkdir -p "$game"
printf '[General]\r\nLanguage=Eng\r\n' > "$game/config.ini"
unzip -q "$zip_file" -d "$work/unzip"
cp -r "$work"/unzip/*/. "$game/"
for f in vantor-cli.exe data/citynames.txt README.txt LICENSE.txt DejaVu-fonts-LICENSE.txt; do
    [ -f "$game/$f" ] || fail "the zip has no $f"
done
(cd "$game" && "$wine_run" "$(windows_path "$game")\\vantor-cli.exe" city --seed 42 > "$work/zip.out" 2>&1) ||
    { cat "$work/zip.out"; fail "vantor-cli.exe from the zip failed"; }
[ -f "$game/atlas/SingleCity.ini" ] || { cat "$work/zip.out"; fail "the unzipped program did not write into the game folder"; }
echo "ok   unzipped into a game folder: the city is in its atlas/"

echo "installer: $(basename "$setup")"
game2="$work/installer-game"
mkdir -p "$game2"
printf '[General]\r\nLanguage=Eng\r\n' > "$game2/config.ini"
rm -rf "$install_dir"
"$wine_run" "$setup" /S "/GAMEFOLDER=$(windows_path "$game2")" '/D=C:\VantorInstallerTest' ||
    fail "the silent install failed"
expected=(bin/vantor-cli.exe data/citynames.txt README.txt LICENSE.txt uninstall.exe)
[ "$gui" = yes ] && expected+=(bin/vantor.exe bin/qt.conf data/translations/qtbase_cs.qm)
for f in "${expected[@]}"; do
    [ -f "$install_dir/$f" ] || fail "the installer did not install $f"
done
[ ! -e "$install_dir/bin/data" ] || fail "data\\ was installed beside the programs"
(cd "$install_dir" && find data -type f | LC_ALL=C sort) > "$work/installed-data"
(cd "$game" && find data -type f | LC_ALL=C sort) > "$work/zipped-data"
cmp -s "$work/installed-data" "$work/zipped-data" || fail "the installed data\\ differs from the zip's"
menu=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Vantor/*.lnk' | wc -l)
[ "$menu" -ge 2 ] || fail "no Start-menu entries"
"$wine_run" reg query 'HKCU\Software\Vantor\Vantor' /v gameFolder 2>/dev/null | tr -d '\r' |
    grep -qF "$(windows_path "$game2")" || fail "the game folder is not in HKCU\\Software\\Vantor\\Vantor"
"$wine_run" 'C:\VantorInstallerTest\bin\vantor-cli.exe' city --seed 42 --root "$(windows_path "$game2")" \
    > "$work/installed.out" 2>&1 || { cat "$work/installed.out"; fail "the installed vantor-cli.exe failed"; }
grep -qi 'VantorInstallerTest.data' "$work/installed.out" ||
    { cat "$work/installed.out"; fail "the installed program did not use the installed data\\"; }
for f in "$game"/atlas/SingleCity*; do
    cmp -s "$f" "$game2/atlas/$(basename "$f")" || fail "the installed program wrote $(basename "$f") differently"
done
echo "ok   installed: files, Start menu, game folder setting; the installed program writes the same city"

"$wine_run" 'C:\VantorInstallerTest\uninstall.exe' /S || fail "the uninstaller failed"
# The uninstaller runs from a copy of itself and returns at once: wait (10 s
# at most) until it has removed the files, the menu entries and its
# Apps-and-features entry, the last things it does.
menu_entries() { find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Vantor*' | wc -l; }
uninstall_entry() {
    "$wine_run" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\org.vantor.Vantor' >/dev/null 2>&1
}
for _ in $(seq 1 50); do
    if [ ! -e "$install_dir" ] && [ "$(menu_entries)" -eq 0 ] && ! uninstall_entry; then
        break
    fi
    sleep 0.2
done
[ ! -e "$install_dir" ] || { find "$install_dir"; fail "the uninstaller left files"; }
[ "$(menu_entries)" -eq 0 ] || fail "the uninstaller left the Start-menu entries"
[ -f "$game2/atlas/SingleCity.ini" ] && [ -f "$game2/config.ini" ] || fail "the uninstaller touched the game folder"
if uninstall_entry; then
    fail "the uninstaller left its entry in Apps and features"
fi
echo "ok   uninstalled: program files and menu entries gone, the game folder kept"
