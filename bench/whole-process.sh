#!/usr/bin/env bash
# Whole-process timings of vantor-cli: the program started, data loaded,
# everything generated and written. Each job is timed with hyperfine beside
# its write floor: copying the files the job writes (cp -r of its atlas/ into
# a fresh directory of the same file system), in the same hyperfine run, so
# both see the same machine load. The program's own start-up (`--version`) is
# the floor of the Very small city.
#
#   bench/whole-process.sh [--sync] [BUILD_DIR [RUNS]]   (default build/release, 20)
#
# Prints, per job: median time, median write floor, their ratio, then the
# minor page faults and peak resident memory of one run (GNU time; these are
# counts that do not depend on the machine's load). "disk" jobs run in
# ${TMPDIR:-/tmp}, "tmpfs" jobs in /dev/shm.
#
# The jobs run in fresh temporary program directories holding a copy of the
# build's data/ and a config.ini with CC=1 (needed for 15 districts). Other
# work on the machine skews the times: the load average is printed before
# and after; measure when it is low.
#
# --sync runs `sync` before every run: no pages a previous run left dirty are
# written back under the next, but the files a campaign replaces are then on
# the disk, so replacing them costs real disk work. Without it the previous
# run's files are usually still only in the page cache.
#
# VANTOR_PROFILE=1 in the environment of a single vantor-cli run prints its
# page faults and the time of each phase on standard error.
set -euo pipefail

sync_each=false
if [ "${1:-}" = "--sync" ]; then
    sync_each=true
    shift
fi
build=${1:-build/release}
runs=${2:-20}
cli=$(realpath "$build/bin/vantor-cli")
command -v hyperfine >/dev/null || { echo "hyperfine is not installed (apt-get install hyperfine)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "GNU time is not installed (apt-get install time)" >&2; exit 2; }
[ -x "$cli" ] || { echo "$cli not found: build the vantor-cli target first" >&2; exit 2; }

roots=()
trap 'rm -rf "${roots[@]}"' EXIT
new_root() { # $1: parent directory
    local r
    r=$(mktemp -d "$1/vantor-bench.XXXXXX")
    roots+=("$r")
    cp -r "$build/bin/data" "$r/data"
    printf '[General]\r\nCC=1\r\n' >"$r/config.ini"
    echo "$r"
}

# median_ms JSON INDEX: the median of the INDEXth command of a hyperfine export, in ms.
median_ms() {
    awk -v want="$2" '/"median":/ { gsub(/[ ,]/, "", $2); if (n++ == want) printf "%.1f", $2 * 1000 }' FS=':' "$1"
}

# faults_rss ARGS...: "minor-faults peak-RSS-kB" of one run.
faults_rss() {
    /usr/bin/time -f '%R %M' -o "$scratch/time.txt" "$@" >/dev/null 2>&1
    cat "$scratch/time.txt"
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantor-bench-scratch.XXXXXX")
roots+=("$scratch")

printf '%-36s %10s %10s %6s %8s %9s\n' job "time ms" "floor ms" ratio "min.flt" "peak kB"
echo "# cores: $(nproc); load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# The program's start-up: the floor of the smallest job.
hyperfine -N --warmup 3 --runs "$runs" --style none --export-json "$scratch/version.json" "$cli --version" >/dev/null
version_ms=$(median_ms "$scratch/version.json" 0)
printf '%-36s %10s %10s %6s %8s %9s\n' "--version" "$version_ms" - - $(faults_rss "$cli" --version)

# job NAME PARENT ARGS...: the job in a fresh root under PARENT beside copying its files.
job() {
    local name=$1 parent=$2
    shift 2
    local root
    root=$(new_root "$parent")
    local command="$cli $* --root $root"
    $command >/dev/null 2>&1 # the files the floor copies
    local prepare=(--prepare "rm -rf $root/floor")
    if $sync_each; then
        prepare=(--prepare "sync" --prepare "sh -c 'rm -rf $root/floor && sync'")
    fi
    hyperfine -N --warmup 2 --runs "$runs" "${prepare[@]}" --style none --export-json "$scratch/job.json" \
        -n "$name" "$command" -n floor "cp -r $root/atlas $root/floor" >/dev/null 2>&1
    local t f
    t=$(median_ms "$scratch/job.json" 0)
    last_ms=$t
    f=$(median_ms "$scratch/job.json" 1)
    printf '%-36s %10s %10s %6s %8s %9s\n' "$name" "$t" "$f" "$(awk -v t="$t" -v f="$f" 'BEGIN { printf "%.1f", t / f }')" \
        $(faults_rss $command)
}

shm=/dev/shm
[ -d "$shm" ] || shm=${TMPDIR:-/tmp}
disk=${TMPDIR:-/tmp}
job "Very small city, tmpfs" "$shm" city --seed 1 --size very-small
small_ms=$last_ms
job "Large city, disk" "$disk" city --seed 1 --size large
job "Large city, tmpfs" "$shm" city --seed 1 --size large
job "Default campaign, disk" "$disk" campaign --seed 1 --overwrite
job "Default campaign, tmpfs" "$shm" campaign --seed 1 --overwrite
job "75-city campaign (15 districts), disk" "$disk" campaign --seed 1 --cities 55 --districts 15 --overwrite
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# Very small city / --version: $(awk -v s="$small_ms" -v v="$version_ms" 'BEGIN { printf "%.1f", s / v }')"
