#!/usr/bin/env bash
# Exports the example book with quorvel-export into out/: one vCard file, one
# CSV file, and a CSV header file plus its data file.
set -euo pipefail
cd "$(dirname "$0")/.."

export_tool=build/release/bin/quorvel-export
book=build/release/examples/example.wab
for needed in "$export_tool" "$book"; do
  if [ ! -e "$needed" ]; then
    echo "run-example: $needed is missing; run scripts/build.sh first" >&2
    exit 1
  fi
done

mkdir -p out
"$export_tool" -q -f vcard -o out/example.vcf "$book"
"$export_tool" -q -f csv -o out/example.csv "$book"
"$export_tool" -q -f csv-split --header out/example-header.csv -o out/example-data.csv "$book"

count=$("$export_tool" --list "$book" | wc -l)
echo "Exported the $count contacts of $book:"
for file in out/example.vcf out/example.csv out/example-header.csv out/example-data.csv; do
  echo "  $(pwd)/$file"
done
