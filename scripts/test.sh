#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite,
# then runs it again in a checking build under the address and
# undefined-behaviour sanitizers, where any report fails the test that has it.
# VORNEL_CHECKING_BUILD=0 leaves the second run out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The store's tests run against the PostgreSQL server too: here a missing
# server fails them instead of skipping them.
export VORNEL_REQUIRE_SERVER=1
build_dir=${VORNEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2
ctest --test-dir "$build_dir" --output-on-failure -j2

[ "${VORNEL_CHECKING_BUILD:-1}" = "0" ] && exit 0
checking_dir=${VORNEL_CHECKING_BUILD_DIR:-build-checking}
cmake -S . -B "$checking_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_SANITIZE=ON >/dev/null
cmake --build "$checking_dir" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$checking_dir" --output-on-failure -j2
