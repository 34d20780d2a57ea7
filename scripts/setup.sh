#!/usr/bin/env bash
# Shared by ./run and ./test: install missing Debian packages, configure and build into build/.
#   scripts/setup.sh [TARGET...]   only those targets (./run: the three programs); none: everything
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

install_missing_packages() {
    local wanted=() missing=()
    mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$top/scripts/packages.txt")
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            sudo="sudo"
        else
            echo "Missing Debian packages: ${missing[*]}" >&2
            echo "Install them as root: apt-get install ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    # QLV_CMAKE_ARGS: extra configure options for a new build folder (CI sets -DQLV_WERROR=ON).
    if [ ! -f "$top/build/build.ninja" ]; then
        # shellcheck disable=SC2086
        cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QLV_CMAKE_ARGS:-}
    fi
    if [ $# -gt 0 ]; then
        cmake --build "$top/build" --target "$@" -- -j2
    else
        cmake --build "$top/build" -- -j2
    fi
}

install_missing_packages
configure_and_build "$@"
