#!/usr/bin/env bash
# Builds and runs every test: the optimised build, then the ASan+UBSan build.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in release asan; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset"
done
echo "== fuzz: each target briefly"
scripts/fuzz.sh --runs 20000
