#!/usr/bin/env bash
# Installs what is missing, makes a release build and starts the program. Through sudo (to install
# the packages), the program still starts as the user who called sudo, not as root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build/release
exec bash scripts/as-caller.sh build/release/src/xiaoyun-lrc
