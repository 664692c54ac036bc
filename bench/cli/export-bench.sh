#!/usr/bin/env bash
# Times quorvel-export on generated books of 10,000, 100,000 and 1,000,000
# contacts, as vCard and as CSV, and prints wall seconds, contacts per second
# and peak resident memory against the memory budget (64 MiB + 100 bytes per
# listed contact).
#
#   bench/cli/export-bench.sh [BUILD_DIR]       (default build/release)
#   COUNTS="10000 100000" bench/cli/export-bench.sh
#
# Books are generated once into $BENCH_DIR (default a temporary directory,
# removed at the end) with quorvel-book generate.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/release}
export_tool=$build/bin/quorvel-export
book_tool=$build/bin/quorvel-book
counts=${COUNTS:-"10000 100000 1000000"}
for tool in "$export_tool" "$book_tool" /usr/bin/time; do
  [ -x "$tool" ] || { echo "export-bench: $tool is missing" >&2; exit 1; }
done

if [ -n "${BENCH_DIR:-}" ]; then
  work=$BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

printf '%-9s %-9s %-6s %9s %12s %10s %10s\n' \
  generated listed format wall_s contacts/s peak_MiB budget_MiB
for n in $counts; do
  book=$work/book-$n.wab
  [ -e "$book" ] || "$book_tool" generate --contacts "$n" "$book" >/dev/null
  listed=$("$export_tool" --list "$book" | wc -l)
  for format in vcard csv; do
    out=$work/out-$n.$format
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/time.txt" \
      "$export_tool" -q -f "$format" -o "$out" "$book"
    end=$(date +%s.%N)
    peak_kib=$(tail -n 1 "$work/time.txt")
    rm -f "$out"
    awk -v g="$n" -v n="$listed" -v f="$format" -v s="$start" -v e="$end" -v k="$peak_kib" 'BEGIN {
      wall = e - s
      printf "%-9d %-9d %-6s %9.3f %12.0f %10.1f %10.1f\n", g, n, f, wall, n / wall, k / 1024,
             64 + n * 100 / 1048576
    }'
  done
done
