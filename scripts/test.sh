#!/usr/bin/env bash
# Builds rigDials with its tests and runs every test. Needs no display: when
# DISPLAY is unset the suite shares one Xvfb started here (each test process
# would otherwise start its own, which costs more than most tests; one test
# still covers the program's private Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGDIALS_TESTS=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
if [ -z "${DISPLAY:-}" ]; then
    exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    read -r -t 30 number <&3 || { echo "test.sh: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$number"
fi
cd "$build" && ctest --output-on-failure -j2 --timeout 300
