#!/usr/bin/env bash
# Sets KarVel up, makes a demo school in ./demo (once) and starts KarVel in its
# data folder, on a virtual display when there is no screen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build RelWithDebInfo -DKARVEL_TESTS=OFF -DKARVEL_BENCH=OFF

[ -d demo/LAVOK ] || build/tools/demo/karvel-demo demo
cd demo/LAVOK
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ../../build/src/shell/karvel
else
  exec xvfb-run -a ../../build/src/shell/karvel
fi
