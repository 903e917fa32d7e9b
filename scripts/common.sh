# Shared by scripts/run and scripts/test: install what is missing, configure once, build.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
    build-essential cmake ninja-build pkg-config git clang
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    fonts-liberation2 fonts-noto-cjk
    poppler-utils
    dpkg-dev file lintian appstream desktop-file-utils
    libcpp-httplib-dev nlohmann-json3-dev libqrencode-dev
    chromium chromium-driver python3-selenium
)

# Installs the Debian packages that are not installed yet; runs apt-get update once, only when needed.
ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# build_tree DIR [cmake args...]: configures DIR once (later calls only apply the given settings,
# which rebuilds nothing when they hold already), then builds it incrementally with all cores.
build_tree() {
    local dir="$1"
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    elif [ $# -gt 0 ]; then
        cmake -S "$ROOT" -B "$dir" "$@" > /dev/null
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
