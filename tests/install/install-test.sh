#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR (prefix /usr) and checks one
# aspect of the installed programs:
#   install-test.sh <check> <build dir> <cmake> <version> <app id> gui|nogui
# checks: layout, data-lookup, desktop-files, man-pages, version
set -euo pipefail
check=$1 build=$2 cmake=$3 version=$4 appid=$5 gui=$6

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed" >&2; exit 77; }; }

dest=$tmp/dest
DESTDIR=$dest "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$dest/usr
cli=$usr/bin/vantor-cli
# The programs run as a user would: no display, no VANTOR_ROOT, a fresh home.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u VANTOR_ROOT -u XDG_DATA_HOME QT_QPA_PLATFORM=xcb HOME="$tmp/home" "$@"; }
programs=(vantor-cli)
[ "$gui" = gui ] && programs+=(vantor)

# The options a program's --help names, commands' --help included.
help_texts() {
    local program=$1
    run "$usr/bin/$program" --help
    run "$usr/bin/$program" --help | awk '/^Commands:/{on=1; next} on && /^$/{on=0} on && /^  [a-z]/{print $1}' |
        while read -r command; do run "$usr/bin/$program" "$command" --help; done
}

case "$check" in
layout)
    for f in bin/vantor-cli share/metainfo/$appid.metainfo.xml share/doc/vantor/copyright \
             share/doc/vantor/changelog.gz; do
        [ -f "$usr/$f" ] || fail "usr/$f is not installed"
    done
    [ -x "$cli" ] || fail "vantor-cli is not executable"
    if [ "$gui" = gui ]; then
        [ -x "$usr/bin/vantor" ] || fail "vantor is not installed"
        [ -f "$usr/share/applications/$appid.desktop" ] || fail "the desktop entry is not installed"
        for n in 16 32 48 64 128 256; do
            icon=$usr/share/icons/hicolor/${n}x$n/apps/$appid.png
            [ -f "$icon" ] || fail "no ${n}x$n icon"
            # PNG signature, then the IHDR's width and height (big-endian).
            [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
            size=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
            [ "$size" = "$n $n" ] || fail "$icon is $size, not $n x $n"
        done
    fi
    # The data: exactly the build's data/, byte for byte.
    diff <(cd "$build/bin/data" && ls) <(cd "$usr/share/vantor/data" && ls) || fail "installed data differs in names"
    for f in "$build"/bin/data/*; do
        cmp -s "$f" "$usr/share/vantor/data/$(basename "$f")" || fail "data/$(basename "$f") differs"
    done
    # The fonts' licence travels with the fonts; no placeholder address anywhere.
    [ -s "$usr/share/vantor/data/DejaVuFonts-LICENSE.txt" ] || fail "the DejaVu fonts' licence is not beside them"
    grep -q "^License: MIT" "$usr/share/doc/vantor/copyright" || fail "the copyright file does not say MIT"
    grep -q "^License: bitstream-vera" "$usr/share/doc/vantor/copyright" || fail "the copyright file lacks the fonts' licence"
    if grep -rlI "example\.\(org\|com\)" "$usr/share/doc" "$usr/share/metainfo" "$usr/share/applications" 2>/dev/null; then
        fail "a placeholder address is installed"
    fi
    # Man pages and the changelog are compressed as Debian wants them.
    for p in "${programs[@]}"; do
        gzip -t "$usr/share/man/man1/$p.1.gz" 2>/dev/null || fail "no gzipped man page for $p"
    done
    ;;
data-lookup)
    cd "$tmp"
    expect_saved() { # <output> <program directory> <data directory> <data source words>
        grep -qF "Single mission saved in $2/atlas" <<<"$1" || fail "not saved in $2/atlas: $1"
        grep -qF "Program directory $2 (" <<<"$1" || fail "program directory $2 not named: $1"
        grep -qF "Data from $3 ($4" <<<"$1" || fail "data $3 ($4) not named: $1"
        for f in SingleCity.ini SingleCityPLAN.bmp SingleCityGROUND.bmp SingleCityHIGHT.bmp; do
            [ -s "$2/atlas/$f" ] || fail "$2/atlas/$f was not written"
        done
    }
    installed=$usr/share/vantor/data
    city=(city --seed 7 --size small)

    # Without --root: the user's data folder, created, with the installed data.
    out=$(run "$cli" "${city[@]}") || fail "vantor-cli without --root failed: $out"
    expect_saved "$out" "$tmp/home/.local/share/vantor" "$installed" "installed"
    grep -qF "created" <<<"$out" || fail "the created folder is not said: $out"
    out=$(run env XDG_DATA_HOME="$tmp/xdg" "$cli" "${city[@]}") || fail "with XDG_DATA_HOME: $out"
    expect_saved "$out" "$tmp/xdg/vantor" "$installed" "installed"

    # --root and VANTOR_ROOT: the game folder; its config.ini is read.
    mkdir -p "$tmp/game" "$tmp/game2"
    printf '[General]\r\nCC=1\r\n' >"$tmp/game/config.ini"
    out=$(run "$cli" "${city[@]}" --root "$tmp/game" --landmark lab) || fail "--root failed: $out"
    expect_saved "$out" "$tmp/game" "$installed" "installed"
    grep -qF "Landmark name=Lab" "$tmp/game/atlas/SingleCity.ini" || fail "config.ini of --root not read"
    out=$(run env VANTOR_ROOT="$tmp/game2" "$cli" "${city[@]}") || fail "VANTOR_ROOT failed: $out"
    expect_saved "$out" "$tmp/game2" "$installed" "installed"

    # The game's own complete data is used, and it really draws the city: a
    # changed road tile changes the ground; an incomplete copy is not used.
    mkdir -p "$tmp/art" "$tmp/partial"
    cp -r "$installed" "$tmp/art/data"
    cp "$tmp/art/data/roadEW.bmp" "$tmp/art/data/roadNS.bmp"
    out=$(run "$cli" "${city[@]}" --root "$tmp/art") || fail "--root with data failed: $out"
    expect_saved "$out" "$tmp/art" "$tmp/art/data" "the program directory's own"
    cmp -s "$tmp/art/atlas/SingleCityGROUND.bmp" "$tmp/game2/atlas/SingleCityGROUND.bmp" &&
        fail "the game's own roadNS.bmp did not reach the ground"
    cp -r "$installed" "$tmp/partial/data"
    rm "$tmp/partial/data/citynames.txt"
    out=$(run "$cli" "${city[@]}" --root "$tmp/partial") || fail "--root with partial data failed: $out"
    expect_saved "$out" "$tmp/partial" "$installed" "installed with Vantor; $tmp/partial/data is not complete"
    cmp -s "$tmp/partial/atlas/SingleCityGROUND.bmp" "$tmp/game2/atlas/SingleCityGROUND.bmp" ||
        fail "the same seed with the installed data gave another ground"

    # A named folder that is not there is a usage error; nothing is created.
    status=0
    out=$(run "$cli" "${city[@]}" --root "$tmp/nowhere" 2>&1) || status=$?
    [ "$status" = 2 ] || fail "--root nowhere: exit $status, not 2: $out"
    grep -qF -- "--root: $tmp/nowhere is not a directory" <<<"$out" || fail "--root nowhere not named: $out"
    status=0
    out=$(run env VANTOR_ROOT="$tmp/nowhere" "$cli" "${city[@]}" 2>&1) || status=$?
    [ "$status" = 2 ] || fail "VANTOR_ROOT nowhere: exit $status, not 2: $out"
    [ ! -e "$tmp/nowhere" ] || fail "a missing --root was created"
    ;;
desktop-files)
    need appstreamcli
    appstreamcli validate --pedantic --no-net "$usr/share/metainfo/$appid.metainfo.xml" || fail "appstreamcli validate"
    grep -q '<summary xml:lang="cs">' "$usr/share/metainfo/$appid.metainfo.xml" || fail "no Czech summary"
    grep -q '<project_license>MIT' "$usr/share/metainfo/$appid.metainfo.xml" || fail "the metainfo's licence is not MIT"
    if [ "$gui" = gui ]; then
        need desktop-file-validate
        desktop=$usr/share/applications/$appid.desktop
        desktop-file-validate "$desktop" || fail "desktop-file-validate"
        grep -qx "Icon=$appid" "$desktop" || fail "the desktop entry does not name the icon $appid"
        exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
        [ -x "$usr/bin/$exec" ] || fail "Exec=$exec is not an installed program"
        grep -qF "<launchable type=\"desktop-id\">$appid.desktop</launchable>" \
            "$usr/share/metainfo/$appid.metainfo.xml" || fail "the metainfo does not launch $appid.desktop"
    fi
    ;;
man-pages)
    for p in "${programs[@]}"; do
        page=$usr/share/man/man1/$p.1.gz
        [ -f "$page" ] || fail "no man page for $p"
        # The page as text: roff's escaped hyphens and font changes undone.
        text=$(zcat "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(..//g')
        grep -q "^\.TH ${p^^} \"1\"" <<<"$text" || fail "$p.1 has no title line"
        options=$(help_texts "$p" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
        [ -n "$options" ] || fail "$p --help names no options"
        for option in $options; do
            grep -qF -- "$option" <<<"$text" || fail "$p.1 does not name $option"
        done
        grep -qF VANTOR_ROOT <<<"$text" || fail "$p.1 does not describe VANTOR_ROOT"
        grep -q '^\.SH EXAMPLES' <<<"$text" || fail "$p.1 has no EXAMPLES section"
        if command -v man >/dev/null; then
            wide=$(MANWIDTH=80 man -l "$page" 2>/dev/null | awk 'length > 80' | head -3)
            [ -z "$wide" ] || fail "$p.1 has lines over 80 columns: $wide"
        fi
        echo "$p.1 names: $(echo $options)"
    done
    ;;
version)
    for p in "${programs[@]}"; do
        out=$(run "$usr/bin/$p" --version) || fail "$p --version failed (it must not need a display)"
        [ "$out" = "$p $version" ] || fail "$p --version gave '$out', not '$p $version'"
    done
    ;;
*)
    fail "unknown check $check"
    ;;
esac
echo "install.$check: ok"
