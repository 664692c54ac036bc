#!/usr/bin/env bash
# Times quorvel-export on a vCard file of 100,000 contacts opened as the book:
# listing, and exporting it as vCard and as CSV. Prints wall seconds and peak
# resident memory against the budget (the file's size plus 64 MiB).
#
#   bench/cli/vcard-bench.sh [BUILD_DIR]       (default build/release)
#   CONTACTS=20000 bench/cli/vcard-bench.sh
#
# The vCard file is Quorvel's own export of a book from quorvel-book generate.
# Then three hostile files: a colon inside an unclosed quote followed by
# 80,000 lines ending in "=", 64 MiB without a line break, a 200 MiB value.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/release}
export_tool=$build/bin/quorvel-export
book_tool=$build/bin/quorvel-book
contacts=${CONTACTS:-100000}
for tool in "$export_tool" "$book_tool" /usr/bin/time; do
  [ -x "$tool" ] || { echo "vcard-bench: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$book_tool" generate --contacts "$contacts" "$work/book.wab" >/dev/null
"$export_tool" -q -o "$work/contacts.vcf" "$work/book.wab"
size=$(stat -c %s "$work/contacts.vcf")
listed=$("$export_tool" --list "$work/contacts.vcf" | wc -l)
printf 'vCard file: %d bytes (%.1f MiB), %d cards listed\n' "$size" \
  "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')" "$listed"
printf '%-6s %9s %10s %10s\n' run wall_s peak_MiB budget_MiB
for run in list vcard csv; do
  if [ "$run" = list ]; then
    args=(--list "$work/contacts.vcf")
  else
    args=(-q -f "$run" -o "$work/out" "$work/contacts.vcf")
  fi
  start=$(date +%s.%N)
  /usr/bin/time -f '%M' -o "$work/time.txt" "$export_tool" "${args[@]}" >/dev/null
  end=$(date +%s.%N)
  awk -v r="$run" -v s="$start" -v e="$end" -v k="$(tail -n 1 "$work/time.txt")" \
      -v f="$size" 'BEGIN {
    printf "%-6s %9.3f %10.1f %10.1f\n", r, e - s, k / 1024, f / 1048576 + 64
  }'
done

# Hostile files: each is read in time and memory linear in its size.
python3 - "$work" <<'PY'
import sys
w = sys.argv[1]
open(w + "/quoted.vcf", "w").write('BEGIN:VCARD\r\nNOTE;X=":=\r\n' + "a=\r\n" * 80000 + "END:VCARD\r\n")
open(w + "/oneline.txt", "w").write("x" * (64 << 20))
with open(w + "/long-value.vcf", "w") as f:
    f.write("BEGIN:VCARD\r\nFN:Long\r\nNOTE:")
    for _ in range(200):
        f.write("a" * (1 << 20))
    f.write("\r\nEND:VCARD\r\n")
PY
printf '\n%-26s %9s %10s\n' hostile wall_s peak_MiB
for input in quoted.vcf oneline.txt long-value.vcf; do
  start=$(date +%s.%N)
  /usr/bin/time -f '%M' -o "$work/time.txt" "$export_tool" -q -f csv -o "$work/out" \
    "$work/$input" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v r="$input" -v s="$start" -v e="$end" -v k="$(tail -n 1 "$work/time.txt")" \
      'BEGIN { printf "%-26s %9.3f %10.1f\n", r, e - s, k / 1024 }'
done
