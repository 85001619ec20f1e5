#!/usr/bin/env bash
# Installs what is missing, makes a release build and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build/release
exec build/release/src/xiaoyun-lrc
