#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang-14 (only the libraries they
# link), replays every kept crash input of fuzz/regressions/, then fuzzes each
# target for a while, seeded with fuzz/corpus/ and the tests' fixtures.
# Exits non-zero when an input crashes; libFuzzer saves it under
# <build dir>/crashes/<target>/. Kept for good, as a regression input, it goes
# to fuzz/regressions/<target>/ once the fault is fixed.
# Usage: scripts/fuzz.sh [seconds per target, default 300] [target ...]
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   TARNWICK_FUZZ_DIR=dir   build somewhere else than build-fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
shift || true
if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi

build_dir=${TARNWICK_FUZZ_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DTARNWICK_FUZZ=ON -DTARNWICK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target fuzz

targets=("$@")
if ((${#targets[@]} == 0)); then
    mapfile -t targets < <(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi

# Seeds beyond fuzz/corpus/<target>: the tests' own fixture files.
declare -A fixtures=([fuzz_pw_dump]=tests/platform/fixtures)

# Leaks in a parser are faults too; Qt's own one-time allocations are not.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

status=0
for target in "${targets[@]}"; do
    binary=$build_dir/fuzz/$target
    regressions=fuzz/regressions/$target
    # Named one by one, the inputs are only run, never added to or trimmed.
    if [[ -d $regressions ]] && ! "$binary" "$regressions"/* >"$build_dir/$target-replay.log" 2>&1; then
        echo "fuzz: $target crashes on a kept input again; see $build_dir/$target-replay.log" >&2
        tail -n 40 "$build_dir/$target-replay.log" >&2
        status=1
        continue
    fi

    # The working corpus grows between runs; the repository keeps only the seeds.
    corpus=$build_dir/corpus/$target
    crashes=$build_dir/crashes/$target
    mkdir -p "$corpus" "$crashes"
    seeds=()
    for folder in "fuzz/corpus/$target" "${fixtures[$target]:-}"; do
        [[ -n $folder && -d $folder ]] && seeds+=("$folder")
    done
    if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$build_dir/$target.log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build_dir/$target.log")
        echo "fuzz: $target: $runs inputs in ${seconds} s, no crash" >&2
    else
        echo "fuzz: $target found a crash, kept in $crashes; see $build_dir/$target.log" >&2
        grep -A 30 -m 1 -E '^==[0-9]+==ERROR|runtime error|deadly signal' "$build_dir/$target.log" >&2 || true
        status=1
    fi
done
exit "$status"
