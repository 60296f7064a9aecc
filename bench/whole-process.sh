#!/usr/bin/env bash
# Whole-process timings of vantor-cli: the program started, data loaded,
# everything generated and written. Runs the four standard jobs with
# hyperfine and prints the median of each.
#
#   bench/whole-process.sh [--sync] [BUILD_DIR [RUNS]]   (default build/release, 20)
#
# The jobs run in a fresh temporary program directory holding a copy of the
# build's data/ and a config.ini with CC=1 (needed for 15 districts). Other
# work on the machine skews the figures: the load average is printed before
# and after; measure when it is low.
#
# --sync runs `sync` before every run: no pages a previous run left dirty are
# written back under the next, but the files a campaign replaces are then on
# the disk, so replacing them costs real disk work. Without it the previous
# run's files are usually still only in the page cache.
set -euo pipefail

prepare=()
if [ "${1:-}" = "--sync" ]; then
    prepare=(--prepare sync)
    shift
fi
build=${1:-build/release}
runs=${2:-20}
cli=$(realpath "$build/bin/vantor-cli")
command -v hyperfine >/dev/null || { echo "hyperfine is not installed (apt-get install hyperfine)" >&2; exit 2; }
[ -x "$cli" ] || { echo "$cli not found: build the vantor-cli target first" >&2; exit 2; }

root=$(mktemp -d "${TMPDIR:-/tmp}/vantor-bench.XXXXXX")
trap 'rm -rf "$root"' EXIT
cp -r "$build/bin/data" "$root/data"
printf '[General]\r\nCC=1\r\n' >"$root/config.ini"

echo "cores: $(nproc); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine -N --warmup 2 --runs "$runs" "${prepare[@]}" --style none --export-json "$root/times.json" \
    -n "Large city" "$cli city --root $root --seed 1 --size large" \
    -n "Very small city" "$cli city --root $root --seed 1 --size very-small" \
    -n "Default campaign (30 cities + HQ)" "$cli campaign --root $root --seed 1 --overwrite" \
    -n "75-city campaign (15 districts)" "$cli campaign --root $root --seed 1 --cities 55 --districts 15 --overwrite" \
    >/dev/null
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# hyperfine writes one "command" and one "median" (seconds) per job, in order.
awk -F': ' '
    /"command":/ { name = $2; gsub(/[",]/, "", name) }
    /"median":/  { v = $2; gsub(/,/, "", v); printf "%-36s %9.1f ms\n", name, v * 1000 }
' "$root/times.json"
