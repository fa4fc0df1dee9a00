#!/usr/bin/env bash
# Runs every test: the native unit tests (ASan, UBSan), the command-line
# fuzzer, and the platform tests of both builds under Wine. Installs what is
# missing first. Ends with one summary line; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1

passed=0
failed=0
broken=""
for preset in native fuzz x86_64 i686; do
  echo "=== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2; }; then
    broken="$broken $preset(build)"
    failed=$((failed + 1))
    continue
  fi
  log=build/$preset/ctest-summary.log
  ctest --preset "$preset" -j2 2>&1 | tee "$log"
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$summary" ]; then
    broken="$broken $preset(no summary)"
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" = 0 ] || broken="$broken $preset"
done

[ -z "$broken" ] || echo "failing presets:$broken"
echo "total: $passed passed, $failed failed"
[ "$failed" = 0 ]
