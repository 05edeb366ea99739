#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds, and then runs the program
# or every test. Usage:
#   scripts/quorvalis.sh run [/Wn] file...
#   scripts/quorvalis.sh test
#   scripts/quorvalis.sh bench
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(build-essential cmake g++ git qt6-base-dev qt6-qpa-plugins libqt6svg6 libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core xvfb xauth)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() { # preset target...
    local preset=$1
    shift
    cmake --preset "$preset" -S "$root" > /dev/null
    cmake --build "$root/build/$preset" -j"$(nproc)" --target "$@"
}

command=${1:-}
shift || true
case "$command" in
run)
    install_missing
    build release quorvalis
    exec "$root/build/release/quorvalis" "$@"
    ;;
test)
    install_missing
    build debug all
    cd "$root"
    ctest --preset debug
    ;;
bench)
    install_missing
    build release all
    for b in "$root"/build/release/bench/*_bench; do "$b"; done
    ;;
*)
    echo "usage: $0 run [/Wn] file... | test | bench" >&2
    exit 2
    ;;
esac
