#!/usr/bin/env bash
# A long fuzzing campaign of the script engine (compiler and VM) under AddressSanitizer and
# UndefinedBehaviorSanitizer: RUNS executions (default 5 million) of fuzz/script_fuzz.cpp from the
# seed corpus, with the language's words as a dictionary. Run it once in a while, not in ./test.sh;
# it prints the executions done and the coverage reached, and exits non-zero on a finding (the
# crashing input is left in build/dev/fuzz-campaign/). The time limit per input is generous: every
# run ends by the target's step budget, but a million steps of string building under the
# sanitizers can take seconds on a busy machine, which is slowness, not a hang.
#   scripts/fuzz-script-engine.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5000000}"

cmake --preset dev > /dev/null
cmake --build --preset dev --target fuzz_script
out="$PWD/build/dev/fuzz-campaign"
mkdir -p "$out/work"
log="$out/fuzz.log"
cd "$out"
status=0
LSAN_OPTIONS="suppressions=$PWD/../../../tests/lsan.supp" nice ../bin/fuzz_script \
  -runs="$runs" -seed=1 -rss_limit_mb=2048 -timeout=120 -max_len=8192 -print_final_stats=1 \
  -dict=../../../fuzz/script.dict work ../../../fuzz/corpus/script > "$log" 2>&1 || status=$?
grep -E "^(#[0-9]+ *DONE|Done [0-9]+ runs|stat::number_of_executed_units)" "$log" || true
grep -E "cov: [0-9]+" "$log" | tail -n 1 || true
if [ "$status" -ne 0 ]; then
  echo "fuzzing found a problem (status $status): see $log" >&2
  exit "$status"
fi
