#!/usr/bin/env bash
# Sets up a Debian 12 machine when something is missing, builds everything
# with the MinGW cross compiler and runs every test under Wine.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

bash tools/setup-debian.sh

build="${ORLO_BUILD_DIR:-$here/build}"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
# Wine's start-up is serial per prefix; two jobs keep both cores busy.
ctest --test-dir "$build" --output-on-failure -j "${ORLO_TEST_JOBS:-2}"
