#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds, and runs the whole test suite through CTest.
# Tests that need an X server start their own Xvfb, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests
bash scripts/check-format.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build/test
cd build/test
ctest --output-on-failure -j2
