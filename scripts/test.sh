#!/bin/sh
# Builds the program and runs every test. Installs the Debian packages it needs when missing.
#   VG_BUILD_DIR   build folder (default build/test)
#   VG_CMAKE_ARGS  extra configure arguments, e.g. -DVG_SANITIZE=ON
#   VG_JOBS        parallel jobs (default 2)
set -e
cd "$(dirname "$0")/.."
scripts/install_deps.sh test
build=${VG_BUILD_DIR:-build/test}
jobs=${VG_JOBS:-2}
# shellcheck disable=SC2086 # VG_CMAKE_ARGS is a list of arguments
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug ${VG_CMAKE_ARGS:-}
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"
