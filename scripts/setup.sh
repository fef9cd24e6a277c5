#!/usr/bin/env bash
# Installs every dependency on Debian 12 (run as root or through sudo) and builds Kelpforge into out/release.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config clang-format clang libclang-rt-14-dev
    qt6-base-dev libgl-dev
    zlib1g-dev libmspack-dev nlohmann-json3-dev
    libgtest-dev googletest
    gcc-mingw-w64-i686 g++-mingw-w64-i686 mingw-w64-i686-dev
    gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
    cabextract p7zip-full gcab
    wine wine64 wine32:i386 qemu-user xvfb x11-apps xdotool imagemagick openbox
    nsis time bc openssl osslsigncode python3
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
# A mirror in mid-sync fails an index now and then: try again, then go on with what was fetched.
for attempt in 1 2 3; do
    as_root apt-get update -q && break
    [ "$attempt" -lt 3 ] && sleep 20
done
install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=900 \
        --no-install-recommends "$@" "${packages[@]}"
}
if ! install; then
    # Without one architecture's security index the two architectures' versions differ, which
    # 32-bit Wine cannot be installed with: take both from the release itself.
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "setup.sh: the packages do not fit together; installing the $release release's versions" >&2
    install -t "$release"
fi

cmake -S . -B out/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build out/release
