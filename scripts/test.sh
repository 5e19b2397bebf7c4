#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs every test
# (unit and rig) inside the private desktop of scripts/desktop-rig.sh.
# Exits with ctest's status. Arguments go to ctest, e.g. `scripts/test.sh -L unit`.
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   TARNWICK_BUILD_DIR=dir  build somewhere else than build/
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi

build_dir=${TARNWICK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WERROR=ON
cmake --build "$build_dir" -j2
exec scripts/desktop-rig.sh ctest --test-dir "$build_dir" --output-on-failure "$@"
