#!/usr/bin/env bash
# Builds rigDials with its tests and runs every test. Needs no display: the host
# starts a private Xvfb when DISPLAY is unset.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGDIALS_TESTS=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
cd "$build" && ctest --output-on-failure -j2 --timeout 300
