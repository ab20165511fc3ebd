#!/usr/bin/env bash
# Set-up, build and run for a Debian 12 machine.
#   scripts/dev.sh run [valdoria options]   install what is missing, build, start valdoria on the simulator
#   scripts/dev.sh test                     install what is missing, build, run the whole test suite
#   scripts/dev.sh bench                    install what is missing, build, run the benchmarks
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config clang-format desktop-file-utils
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
    libqt6sql6-sqlite qt6-qpa-plugins fonts-dejavu-core xvfb xauth
)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo=sudo
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    export CCACHE_BASEDIR="$ROOT"
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD_DIR" -j2
}

cmd=${1:-run}
shift || true
case "$cmd" in
run)
    install_packages
    build
    exec "$BUILD_DIR/src/app/valdoria" --simulate "$@"
    ;;
test)
    install_packages
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
    ;;
bench)
    install_packages
    build
    for b in "$BUILD_DIR"/bench/*/bench_*; do
        if [ -f "$b" ] && [ -x "$b" ]; then "$b"; fi
    done
    ;;
*)
    echo "usage: scripts/dev.sh run|test|bench" >&2
    exit 2
    ;;
esac
