#!/usr/bin/env bash
# Redraws the module's icons (module/icons/*.png) from the nodes' pictures
# with a built rigdials (BUILD_DIR, default build-test). A test checks that
# the icons in the tree are the ones this draws.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-test}
mkdir -p module/icons
(cd module/icons && "../../$build/bin/rigdials" ../../scripts/icons.mel)
ls -l module/icons
