#!/usr/bin/env bash
# Builds the benchmarks and runs each inside the private desktop, printing
# their figures. Arguments are benchmark names (default: all of them).
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   TARNWICK_BUILD_DIR=dir  build somewhere else than build/
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi
build_dir=${TARNWICK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target bench

if [[ $# -eq 0 ]]; then
    mapfile -t benches < <(find "$build_dir/bench" -maxdepth 1 -type f -executable -name "bench_*" -printf "%f\n" | sort)
    set -- "${benches[@]}"
fi
status=0
for bench in "$@"; do
    echo "== $bench"
    scripts/desktop-rig.sh "$build_dir/bench/$bench" || status=1
done
exit $status
