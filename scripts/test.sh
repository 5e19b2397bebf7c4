#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs every test
# (unit and rig) inside the private desktop of scripts/desktop-rig.sh; makes
# the Debian package and checks it installed (scripts/check-package.sh); runs
# each fuzz target briefly (scripts/fuzz.sh); then builds the suite again with
# AddressSanitizer and UndefinedBehaviorSanitizer in a second folder and runs
# it once more. Exits with the first failing status. Arguments go to ctest,
# e.g. `scripts/test.sh -L unit`.
#   SKIP_DEPS=1             do not run scripts/install-deps.sh
#   SKIP_PACKAGE=1          no package check
#   SKIP_FUZZ=1             no fuzzing
#   FUZZ_SECONDS=n          how long each fuzz target runs (default 20)
#   SKIP_SANITIZERS=1       no sanitizer run
#   TARNWICK_BUILD_DIR=dir  build somewhere else than build/ (the sanitizer and fuzz builds go to dir-asan
#                           and dir-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${SKIP_DEPS:-} != 1 ]]; then
    scripts/install-deps.sh
fi

build_dir=${TARNWICK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WERROR=ON
cmake --build "$build_dir" -j2
scripts/desktop-rig.sh ctest --test-dir "$build_dir" --output-on-failure "$@"
# The switch once more against PipeWire's pulse server; the capture, guard and quiet-microphone
# tests have PipeWire cases of their own.
TARNWICK_TEST_AUDIO_SERVER=pipewire scripts/desktop-rig.sh ctest --test-dir "$build_dir" --output-on-failure \
    -R '^test_switch_app$'

if [[ ${SKIP_PACKAGE:-} != 1 ]]; then
    deb=$(SKIP_DEPS=1 TARNWICK_BUILD_DIR=$build_dir scripts/package.sh)
    scripts/check-package.sh "$deb"
fi
if [[ ${SKIP_FUZZ:-} != 1 ]]; then
    SKIP_DEPS=1 TARNWICK_FUZZ_DIR=$build_dir-fuzz scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
fi

if [[ ${SKIP_SANITIZERS:-} == 1 ]]; then
    exit 0
fi
asan_dir=$build_dir-asan
# -O1 keeps the instrumented suite quick; line tables (-g1) are enough for its stack traces and
# build much faster than full debug information.
cmake -S . -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
    -DTARNWICK_SANITIZE=ON -DTARNWICK_WERROR=ON
cmake --build "$asan_dir" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec scripts/desktop-rig.sh ctest --test-dir "$asan_dir" --output-on-failure "$@"
