#!/usr/bin/env bash
# Builds rigDials and runs the demo: a scene of every node type, rendered to PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRIGDIALS_TESTS=OFF >/dev/null
cmake --build build -j2
mkdir -p out
build/bin/rigdials examples/demo.mel
