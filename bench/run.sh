#!/usr/bin/env bash
# Builds the benchmark programs, runs them, and writes what they print to docs/benchmarks.md: each
# benchmark under a heading of its name, its table rows ("| measure | program | floor | ratio |")
# as they are, its other lines as notes, and the machine it ran on.
#
#   bash bench/run.sh            every benchmark (takes more than ten minutes), into docs/benchmarks.md
#   bash bench/run.sh NAME...    only these (e.g. export_bench heard), printed; docs/ is left alone
#
# Needs the test packages (Xvfb, lame, the sound servers): bash scripts/deps.sh --tests installs them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DLRC_BENCHMARKS=ON >/dev/null
mapfile -t all < <(sed -n 's/^lrc_add_bench(\([a-z0-9_]*\).*/\1/p' bench/CMakeLists.txt)
all+=(heard)
if (($#)); then
  chosen=("$@")
  for name in "${chosen[@]}"; do
    [[ " ${all[*]} " == *" $name "* ]] || { echo "run.sh: no benchmark $name (there are: ${all[*]})" >&2; exit 2; }
  done
else
  chosen=("${all[@]}")
fi
targets=()
for name in "${chosen[@]}"; do
  if [[ $name == heard ]]; then
    targets+=(monitor_recorder heard_analyse heard_bench heard_floor)
  else
    targets+=("$name")
  fi
done
cmake --build "$build" --target "${targets[@]}"

results="$build/results"
mkdir -p "$results"
x11() { xvfb-run -a -s "-screen 0 1280x1024x24 +extension XInputExtension" "$@"; }

# section NAME STATUS: the benchmark's output as Markdown; one table header, then the notes.
section() {
  local output="$results/$1.txt"
  printf '## %s\n\n' "$1"
  if grep -q '^|' "$output"; then
    grep '^|' "$output" | awk '/^\| measure \| program \| floor \| ratio \|$/ || /^\|---/ { if (seen[$0]++) next } { print }'
    echo
  fi
  grep -v '^|' "$output" | sed '/^[[:space:]]*$/d; s/^/- /' || true
  if [[ $2 != 0 ]]; then
    echo "- The benchmark failed (exit status $2); its figures above are incomplete."
  fi
  echo
}

sections=()
for name in "${chosen[@]}"; do
  echo "== $name" >&2
  status=0
  if [[ $name == heard ]]; then
    bash bench/heard/run.sh "$build" >"$results/$name.txt" || status=$?
  else
    QT_QPA_PLATFORM=xcb x11 "$build/bench/$name" >"$results/$name.txt" || status=$?
  fi
  cat "$results/$name.txt" >&2
  sections+=("$(section "$name" "$status")")
done

machine() {
  local cpu memory
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
  memory=$(awk '/^MemTotal:/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- CPU: ${cpu:-unknown}, $(nproc) cores; memory $memory"
  echo "- Kernel: $(uname -sr); Debian $(cat /etc/debian_version 2>/dev/null || echo unknown)"
  if git rev-parse --short HEAD >/dev/null 2>&1; then
    echo "- Program: commit $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- src bench support || echo ', with changes not committed')"
  fi
}

report() {
  echo "# Benchmarks"
  echo
  echo "Written by \`bash bench/run.sh\`; every figure below is one its benchmarks printed in that run."
  echo "In each table the floor is a separate program that does only the bare thing, linked to nothing"
  echo "of this one, run in turns with it; the ratio is program / floor. A row with no floor is the"
  echo "program's own figure. Release build; mpv with \`ao=null\` except under \"heard\"."
  echo
  machine
  echo
  printf '%s\n\n' "${sections[@]}"
}

if (($#)); then
  report | tee "$build/benchmarks.md"
else
  report >docs/benchmarks.md
  echo "Wrote docs/benchmarks.md" >&2
fi
