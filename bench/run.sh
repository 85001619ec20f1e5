#!/usr/bin/env bash
# Builds the benchmark programs and runs them all; each prints its own figures.
# Needs the test packages (Xvfb, lame): run scripts/test.sh once first, or scripts/deps.sh --tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DLRC_BENCHMARKS=ON >/dev/null
cmake --build build/bench --target $(sed -n 's/^lrc_add_bench(\([a-z0-9_]*\).*/\1/p' bench/CMakeLists.txt) \
  monitor_recorder heard_analyse heard_bench heard_floor
x11() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
for bench in $(sed -n 's/^lrc_add_bench(\([a-z0-9_]*\).*/\1/p' bench/CMakeLists.txt); do
  echo "== $bench"
  QT_QPA_PLATFORM=xcb x11 "build/bench/bench/$bench"
done
echo "== heard (the pause readout against private sound servers)"
bash bench/heard/run.sh build/bench
