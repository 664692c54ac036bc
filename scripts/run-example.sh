#!/usr/bin/env bash
# Runs the export core on its built-in example contacts (the worked examples).
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --test-dir build/release -R WorkedExample --output-on-failure
