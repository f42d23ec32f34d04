#!/usr/bin/env bash
# Configures and builds one target: build.sh x64|i686 [build root]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x64}
build_root=${2:-${KV_BUILD_ROOT:-$root/build}}
case "$arch" in
    x64) toolchain=$root/cmake/mingw-x86_64.cmake ;;
    i686) toolchain=$root/cmake/mingw-i686.cmake ;;
    *) echo "usage: build.sh x64|i686" >&2; exit 2 ;;
esac
dir=$build_root/$arch
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)" -- --no-print-directory
