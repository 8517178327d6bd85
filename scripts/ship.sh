#!/usr/bin/env bash
# The way to the real host, tested against the stand-in host laid out as the
# host's devkit: build the plug-in through -DRIGDIALS_DEVKIT, install it as a
# module, run the end-to-end tests with the module's plug-in, then build the
# release archive and follow its install steps from a fresh folder.
#
# Needs a stand-in build with its tests (scripts/test.sh makes build-test;
# BUILD_DIR names another). The devkit build goes to build-host (HOST_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-test}
host_build=${HOST_BUILD_DIR:-build-host}
if [ ! -x "$build/bin/rigdials" ] || [ ! -x "$build/bin/test_e2e" ]; then
  echo "ship.sh: no stand-in build with tests in $build (run bash scripts/test.sh first)" >&2
  exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/rigdials-ship.XXXXXX")
trap 'rm -rf "$work"' EXIT
step() { echo "== ship: $*"; }

step "the stand-in host as a devkit in $work/devkit"
cmake --install "$build" --component devkit --prefix "$work/devkit" >/dev/null

step "a devkit without a library or a header stops the configure, naming them"
cp -a "$work/devkit" "$work/broken"
rm "$work/broken/lib/libOpenMayaRender.so" "$work/broken/include/maya/MPlug.h"
if cmake -S . -B "$work/broken-build" -DRIGDIALS_DEVKIT="$work/broken" >"$work/broken.log" 2>&1; then
  echo "ship.sh: the configure accepted a devkit without OpenMayaRender and MPlug.h" >&2
  exit 1
fi
grep -q "OpenMayaRender" "$work/broken.log" && grep -q "MPlug.h" "$work/broken.log" || {
  cat "$work/broken.log" >&2
  echo "ship.sh: the configure failed without naming what is missing" >&2
  exit 1
}

step "RIGDIALS_DEVKIT=ON finds the devkit through DEVKIT_LOCATION"
DEVKIT_LOCATION="$work/devkit" cmake -S . -B "$work/on-build" -DRIGDIALS_DEVKIT=ON >"$work/on.log" 2>&1 || {
  cat "$work/on.log" >&2
  exit 1
}
grep -q "devkit from DEVKIT_LOCATION: $work/devkit" "$work/on.log"

step "the plug-in through the devkit build ($host_build)"
# A fresh configure each time: the devkit folder is new on every run.
rm -f "$host_build/CMakeCache.txt"
cmake -S . -B "$host_build" -DRIGDIALS_DEVKIT="$work/devkit" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} \
  >/dev/null
cmake --build "$host_build" -j2
cmake --install "$host_build" --component module --prefix "$work/modules" >/dev/null
test -f "$work/modules/rigDials/plug-ins/rigDials.so"

step "the end-to-end tests with the module's plug-in and the installed program"
# The installed program has no plug-in beside it: rigDials comes from the module.
# Left out: two tests that check the exact search paths of the build's own
# program (the module adds its folders to them), and the tests that install
# this build themselves.
RIGDIALS_PROGRAM="$work/devkit/bin/rigdials" MAYA_MODULE_PATH="$work/modules/rigDials" \
  "$build/bin/test_e2e" --gtest_brief=1 --gtest_filter='-Program.PluginPathOrder:Program.ScriptsComeFromTheScriptPath:Installed.*'

step "the release archive, installed as its INSTALL.md says"
(cd "$host_build" && cpack >/dev/null)
archive=$(ls "$host_build"/package/rigDials-*-linux.tar.gz)
tar -tzf "$archive" | sed 's|^|  |' | grep -E '\.(mod|so|mel|md)$|LICENSE' | head -n 40
mkdir "$work/home"
tar -xzf "$archive" -C "$work/home"
top=$(basename "$archive" .tar.gz)
for f in INSTALL.md LICENSE docs/install.md rigDials/rigDials.mod rigDials/plug-ins/rigDials.so; do
  test -e "$work/home/$top/$f" || { echo "ship.sh: the archive has no $top/$f" >&2; exit 1; }
done
out=$(cd "$work/home" && env -u MAYA_PLUG_IN_PATH -u MAYA_SCRIPT_PATH \
  MAYA_MODULE_PATH="$work/home/$top/rigDials" "$work/devkit/bin/rigdials" -c '
    loadPlugin rigDials;
    source rigDialsCreate.mel;
    rigDialsCreatePrimitiveLocator();
    rigDialsCreateSlider();
    rigDialsCreateArcSlider();
    getAttr sliderShape1.currentValue;
    moduleInfo -moduleName rigDials -version;')
expected="// Result: rigDials //
// Result: primitiveLocator1 primitiveLocatorShape1 //
// Result: slider1 sliderShape1 //
// Result: arcSlider1 arcSliderShape1 //
// Result: 5 //
// Result: 3.0 //"
if [ "$out" != "$expected" ]; then
  printf 'ship.sh: the installed archive gave\n%s\ninstead of\n%s\n' "$out" "$expected" >&2
  exit 1
fi
step "done"
