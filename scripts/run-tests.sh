#!/usr/bin/env bash
# Sets KarVel up and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-tests Debug -DKARVEL_TESTS=ON -DKARVEL_BENCH=ON

cd build-tests
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
