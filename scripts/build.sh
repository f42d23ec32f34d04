#!/usr/bin/env bash
# Configures and builds one target: build.sh x64|i686 [build root] [cmake target...]
# Without cmake targets everything is built: the program, the tests and the
# benchmark; naming one (Kelvorin) builds only that and what it needs.
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
# KV_WARNINGS_AS_ERRORS=ON (the test script sets it) fails the build on any
# warning of the project's own code.
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DKV_WARNINGS_AS_ERRORS="${KV_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
shift $(( $# < 2 ? $# : 2 ))
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
