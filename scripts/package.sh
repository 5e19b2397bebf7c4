#!/usr/bin/env bash
# Builds Tarnwick and its Debian package (CPack; library dependencies from
# dpkg-shlibdeps) and prints the package's path.
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   TARNWICK_BUILD_DIR=dir  build somewhere else than build/ (the package goes there too)
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi

build_dir=${TARNWICK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
# Only what the package holds: the program (with its translations) and its manual page.
cmake --build "$build_dir" -j2 --target tarnwick tarnwick_man >&2
(cd "$build_dir" && cpack -G DEB >&2)
ls -t "$build_dir"/tarnwick_*.deb | head -n 1
