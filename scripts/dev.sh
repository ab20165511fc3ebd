#!/usr/bin/env bash
# Set-up, build and run for a Debian 12 machine.
#   scripts/dev.sh run [valdoria options]   install what is missing, build, start valdoria on the simulator
#   scripts/dev.sh test                     install what is missing, build, run the whole test suite
#   scripts/dev.sh bench                    install what is missing, build, run the benchmarks
#   scripts/dev.sh fuzz [SECONDS|--runs N]  install clang, build the fuzz targets with sanitizers (build-fuzz),
#                                           run each for SECONDS (60) or N inputs from its seed corpus
#   scripts/dev.sh package                  install what is missing, build, make the Debian package in build/
#   scripts/dev.sh package-check            make the package, install it with apt-get, check the installed
#                                           programs, pages and metadata, lintian, then remove it again
#   scripts/dev.sh mutants [SUBSTRING]      apply each break of tests/mutants.txt to a scratch copy, one at a
#                                           time, rebuild and run its tests: caught/missed per break and a total
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
FUZZ_BUILD_DIR=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config clang-format desktop-file-utils
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libhamlib-utils chirp
    libqt6sql6-sqlite qt6-qpa-plugins fonts-dejavu-core xvfb xauth
    postgresql libqt6sql6-psql libqt6sql6-odbc odbc-postgresql time
    help2man
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev chromium chromium-driver python3-selenium
    qt6-multimedia-dev libopusenc-dev libopus-dev libogg-dev libshout-dev libmp3lame-dev
    gstreamer1.0-plugins-base gstreamer1.0-pulseaudio pulseaudio pulseaudio-utils sox espeak-ng ffmpeg icecast2
)
# Only the package commands need these: the checks of the installed package.
PACKAGE_PACKAGES=(lintian appstream man-db)
# Only the fuzz command needs these: clang and its runtime libraries (libFuzzer, the sanitizers).
FUZZ_PACKAGES=(clang libclang-rt-dev)
FUZZ_TARGETS=(statusparser lcdparser modedetector tcphost simulator rigctl csv uls daylog)

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

build_fuzz() {
    export CCACHE_BASEDIR="$ROOT"
    cmake -S "$ROOT" -B "$FUZZ_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVALDORIA_FUZZ=ON
    cmake --build "$FUZZ_BUILD_DIR" -j2
}

# Each target starts from its seed corpus in fuzz/corpus and keeps what it finds in build-fuzz/corpus;
# a crashing input is saved as build-fuzz/crashes/<target>-crash-<hash> and stops the run.
run_fuzzers() {
    local limit=("-max_total_time=${1:-60}")
    if [ "${1:-}" = "--runs" ]; then
        limit=("-runs=${2:?--runs needs a number}" -seed=1)
    fi
    # Qt is built without frame pointers: keeping allocation stacks would fill memory with junk frames.
    export ASAN_OPTIONS=malloc_context_size=0:quarantine_size_mb=32
    export UBSAN_OPTIONS=print_stacktrace=1
    export QT_QPA_PLATFORM=offscreen
    mkdir -p "$FUZZ_BUILD_DIR/crashes"
    for t in "${FUZZ_TARGETS[@]}"; do
        echo "== fuzz_$t"
        mkdir -p "$FUZZ_BUILD_DIR/corpus/$t"
        "$FUZZ_BUILD_DIR/fuzz/fuzz_$t" "${limit[@]}" -timeout=10 -print_final_stats=1 -dict="$ROOT/fuzz/dict/$t.dict" \
            -artifact_prefix="$FUZZ_BUILD_DIR/crashes/$t-" "$FUZZ_BUILD_DIR/corpus/$t" "$ROOT/fuzz/corpus/$t"
    done
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
fuzz)
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_packages
    build_fuzz
    run_fuzzers "$@"
    ;;
mutants)
    install_packages
    exec python3 "$ROOT/scripts/mutants.py" "$@"
    ;;
package)
    install_packages
    build
    (cd "$BUILD_DIR" && cpack -G DEB)
    ;;
package-check)
    PACKAGES+=("${PACKAGE_PACKAGES[@]}")
    install_packages
    build
    (cd "$BUILD_DIR" && cpack -G DEB)
    scripts/package-check.sh "$BUILD_DIR"/valdoria_*.deb
    ;;
*)
    echo "usage: scripts/dev.sh run|test|bench|fuzz|package|package-check|mutants" >&2
    exit 2
    ;;
esac
