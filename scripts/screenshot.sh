#!/usr/bin/env bash
# Saves PNG pictures of the desktop program into out/: the main window with a
# selection, "Export Type?", the About box, the window during Export All (as
# the screen shows it) and "Export Complete", shown on the example book under
# a virtual X server.
# Usage: scripts/screenshot.sh [BOOK.wab]   (default: the example book)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
book=${1:-$build/examples/example.wab}

cmake --preset release >/dev/null
nice -n 10 cmake --build --preset release -j2 --target quorvel quorvel-screenshots wab32 example_book >/dev/null
if [ ! -f "$book" ]; then
  echo "screenshot: no book at $book" >&2
  exit 1
fi
mkdir -p out
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  env QT_QPA_PLATFORM=xcb "$build/bin/quorvel-screenshots" "$book" out
