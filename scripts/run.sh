#!/usr/bin/env bash
# Installs what is needed, builds Tarnwick and starts it on this desktop.
# Arguments go to tarnwick (see `--help`).
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   TARNWICK_BUILD_DIR=dir  build somewhere else than build/
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi

build_dir=${TARNWICK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j2 --target tarnwick

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "run: no desktop session here; start it from a terminal on your desktop," >&2
    echo "     or try it headless: scripts/desktop-rig.sh $build_dir/src/shell/tarnwick" >&2
    exit 1
fi
exec "$build_dir/src/shell/tarnwick" "$@"
