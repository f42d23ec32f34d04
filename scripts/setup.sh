#!/usr/bin/env bash
# Installs what building and running Kelvorin from this Linux machine needs,
# and only what is missing: the MinGW-w64 cross compilers (posix threads),
# CMake, GoogleTest sources, 64-bit Wine, a virtual X display, the Russian
# locale (it gives Wine the 1251 code page) and ImageMagick for screenshots.
# 32-bit Wine is never installed: this machine cannot run 32-bit Linux programs.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         googletest wine64 xvfb xauth locales imagemagick x11-utils; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "setup: installing ${need[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "setup: generating the ru_RU.UTF-8 locale"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null
    else
        $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
    fi
fi
