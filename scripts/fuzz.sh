#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs each on a copy of
# its seed corpus, for a time or, reproducibly, for a number of runs from a
# fixed seed. A failing input is kept under build/fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [SECONDS | --runs N] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-max_total_time=60)
case "${1:-}" in
  --runs) limit=(-runs="$2" -seed=1); shift 2 ;;
  '' ) ;;
  *) limit=(-max_total_time="$1"); shift ;;
esac
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(encoder contact_writers json_source book_file vcard)
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  rm -rf "$corpus"
  mkdir -p "$corpus" "$findings"
  cp fuzz/corpus/"$target"/* "$corpus"/
  echo "== fuzz $target (${limit[*]})"
  set +e
  build/fuzz/fuzz/fuzz_"$target" "${limit[@]}" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" >"$findings/log.txt" 2>&1
  status=$?
  set -e
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)" \
    "$findings/log.txt" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz $target: failed (status $status); input and log in $findings" >&2
    failed=1
  fi
done
exit "$failed"
