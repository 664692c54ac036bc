#!/usr/bin/env bash
# Runs quorvel-export under Valgrind's memcheck on the example book, in every
# export kind and with --list: fails on any invalid access, use of an
# uninitialised value, or leaked block.
#   scripts/valgrind-export.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
export_tool=$build/bin/quorvel-export
book=$build/examples/example.wab
for needed in "$export_tool" "$book"; do
  [ -e "$needed" ] || { echo "valgrind-export: $needed is missing" >&2; exit 1; }
done
command -v valgrind >/dev/null || { echo "valgrind-export: valgrind is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {
  echo "== valgrind quorvel-export $*"
  env -u QUORVEL_WAB_DLLPATH TZ=UTC valgrind --quiet --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    --track-origins=yes "$export_tool" "$@"
}
run -q -o "$work/example.vcf" "$book"
run -q -f csv -o "$work/example.csv" "$book"
run -q -f csv-split --header "$work/header.csv" -o "$work/data.csv" "$book"
run -q --select 0,2 -o "$work/selected.vcf" "$book"
run --list "$book" >/dev/null
run -q -o /dev/full "$book" && { echo "valgrind-export: /dev/full did not fail" >&2; exit 1; }
status=$?
[ "$status" -eq 3 ] || { echo "valgrind-export: /dev/full gave status $status, not 3" >&2; exit 1; }
echo "valgrind-export: no errors and no leaks"
