#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs each for a bounded
# time on a copy of its seed corpus. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# A crash leaves its input under build/fuzz/findings/<target>/ and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(encoder contact_writers)
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  echo "== fuzz $target for ${seconds}s"
  build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" 2>&1 |
    grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)" || true
  if ls "$findings"/crash-* "$findings"/leak-* "$findings"/timeout-* >/dev/null 2>&1; then
    echo "fuzz $target: found a failing input in $findings" >&2
    exit 1
  fi
done
