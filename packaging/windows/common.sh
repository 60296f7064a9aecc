# Shared by build-deps.sh, build-qt.sh and package.sh (sourced, not run).
# The cache folder the Windows cross build takes its libraries from; the
# toolchain file (cmake/toolchain-mingw-w64.cmake) reads the same variable.
VANTOR_WINDOWS_DEPS="${VANTOR_WINDOWS_DEPS:-$HOME/.cache/vantor-windows}"
export VANTOR_WINDOWS_DEPS
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
toolchain="$source_dir/cmake/toolchain-mingw-w64.cmake"
jobs="${VANTOR_JOBS:-$(nproc)}"
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

# Installs the Debian packages named that are not installed yet.
install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $sudo_cmd apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# apt-get source needs deb-src entries; Debian 12 images list only binary
# ones. Adds source entries for the same archives, once.
ensure_deb_src() {
    if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 0
    fi
    echo "Enabling Debian source packages (deb-src) for apt-get source"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: *deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $sudo_cmd tee /etc/apt/sources.list.d/vantor-deb-src.sources >/dev/null
    else
        grep -hE '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $sudo_cmd tee /etc/apt/sources.list.d/vantor-deb-src.list >/dev/null
    fi
    $sudo_cmd apt-get update -q
}

# Unpacks Debian's source package $1 into $2 (a fresh folder), at version $3
# when given (else the newest fetchable one), and prints the
# unpacked tree's path. The source's version is Debian's, so the build is
# the same on every machine with the same archive. A mirror sometimes lists
# a version whose files are not there yet: the older ones are tried next.
fetch_source() {
    local package="$1" into="$2" versions="${3:-}" version
    ensure_deb_src >&2
    [ -n "$versions" ] || versions=$(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV | uniq)
    for version in $versions; do
        rm -rf "$into"
        mkdir -p "$into"
        if (cd "$into" && apt-get source -q "$package=$version" >&2); then
            find "$into" -mindepth 1 -maxdepth 1 -type d | head -n 1
            return 0
        fi
        echo "Source $package $version could not be fetched; trying an older one" >&2
    done
    echo "error: no source package $package could be fetched (apt-get source $package)" >&2
    return 1
}

# The version apt would install of binary package $1: the cache's key for a
# library built from the same source package (offline, no deb-src needed).
candidate_version() {
    apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: //p'
}

# Builds when the stamp file $1 does not hold the key $2, then writes it.
#   built_already STAMP KEY || { build...; mark_built STAMP KEY; }
built_already() {
    [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]
}
mark_built() {
    mkdir -p "$(dirname "$1")"
    printf '%s\n' "$2" > "$1"
}

# Configures, builds and installs a CMake project for Windows into the cache.
#   cross_cmake SOURCE BUILD [cmake options...]
cross_cmake() {
    local src="$1" build="$2"
    shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    rm -rf "$build"
    cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$VANTOR_WINDOWS_DEPS" -DBUILD_SHARED_LIBS=OFF \
        "${launcher[@]}" "$@" >"$build.configure.log" 2>&1 ||
        { cat "$build.configure.log" >&2; return 1; }
    cmake --build "$build" -j "$jobs"
    cmake --install "$build" >/dev/null
    rm -rf "$build" "$build.configure.log"
}
