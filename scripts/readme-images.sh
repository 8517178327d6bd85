#!/usr/bin/env bash
# Renders the demo (scripts/demo.sh) and the facial panel (examples/face.mel)
# and copies their pictures to docs/images, where the README shows them: the
# scene in both renderers side by side, the two keyed frames, and the panel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/demo.sh
for name in demo demo_legacy demo_frame1 demo_frame10; do
  cp "out/$name.png" "docs/images/$name.png"
done
build/bin/rigdials examples/face.mel >/dev/null
cp out/face.png docs/images/face.png
echo "docs/images: demo.png demo_legacy.png demo_frame1.png demo_frame10.png face.png"
