#!/usr/bin/env bash
# Fails when a C or C++ source differs from what clang-format makes of it with the root's .clang-format.
# Lists the tracked sources in a git checkout, every source under the folders of code otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is missing; install it (bash scripts/deps.sh --tests)" >&2
  exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t sources < <(git ls-files -- '*.c' '*.cpp' '*.h')
else
  mapfile -t sources < <(find src tests bench support packaging -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
fi
if ((${#sources[@]} == 0)); then
  echo "check-format: no sources found" >&2
  exit 1
fi
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "check-format: the sources above are not formatted; run clang-format -i on them" >&2
  exit 1
fi
echo "check-format: ${#sources[@]} sources formatted"
