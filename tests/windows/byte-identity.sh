#!/usr/bin/env bash
# The Windows vantor-cli.exe (run under Wine) writes the same bytes as the
# Linux vantor-cli for the same seeds and settings: a single mission, a
# Czech mission layout, and two campaigns (one Czech), compared file by file.
#   byte-identity.sh WINDOWS_CLI LINUX_CLI WINE_RUN
# Exit 77 (skipped) when the Linux program is not built (release preset).
set -euo pipefail
win_cli="$1" linux_cli="$2" wine_run="$3"
if [ ! -x "$linux_cli" ]; then
    echo "No Linux vantor-cli at $linux_cli (cmake --build --preset release): skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program folder on each side: config.ini as the game writes it (CR LF).
make_root() {
    mkdir -p "$1"
    if [ -n "$2" ]; then printf '[General]\r\n%s\r\n' "$2" > "$1/config.ini"; fi
}
# Wine sees the Linux file system as drive Z:.
windows_path() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }

failures=0
run_case() {
    local name="$1" config="$2"
    shift 2
    make_root "$work/linux/$name" "$config"
    make_root "$work/windows/$name" "$config"
    "$linux_cli" "$@" --root "$work/linux/$name" > "$work/$name.linux.out" 2>&1 ||
        { echo "FAIL $name: the Linux program failed:"; cat "$work/$name.linux.out"; failures=$((failures + 1)); return; }
    "$wine_run" "$win_cli" "$@" --root "$(windows_path "$work/windows/$name")" > "$work/$name.windows.out" 2>&1 ||
        { echo "FAIL $name: the Windows program failed:"; cat "$work/$name.windows.out"; failures=$((failures + 1)); return; }
    local same=0 total=0 f
    while IFS= read -r f; do
        total=$((total + 1))
        if cmp -s "$work/linux/$name/atlas/$f" "$work/windows/$name/atlas/$f"; then
            same=$((same + 1))
        elif [ $((total - same)) -le 10 ]; then
            echo "  differs or missing on one side: $name atlas/${f#./}"
        fi
    done < <( (cd "$work/linux/$name/atlas" && find . -type f; cd "$work/windows/$name/atlas" && find . -type f) |
              LC_ALL=C sort -u)
    if [ "$total" -eq 0 ] || [ "$same" -ne "$total" ]; then
        echo "FAIL $name: $same of $total files identical"
        failures=$((failures + 1))
    else
        echo "ok   $name: $same of $total files identical"
    fi
}

run_case city-seed42 "" city --seed 42
run_case city-seed7-large-fort-czech $'Language=Cze\r\nCC=1' city --seed 7 --size large --landmark fort
run_case campaign-seed42 "" campaign --seed 42 --cities 30
run_case campaign-seed77-czech $'Language=Cze\r\nCC=1' campaign --seed 77 --cities 31 --districts 7
[ "$failures" -eq 0 ]
