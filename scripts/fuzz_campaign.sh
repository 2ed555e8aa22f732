#!/usr/bin/env bash
# Long fuzzing campaigns, one target at a time, at the lowest priority: each target runs under the
# sanitizers of the dev build until its execution goal, from the committed seeds and past findings,
# and the executions, edges and features it reached are added to a report. Not part of ./test.sh.
#
#   scripts/fuzz_campaign.sh [options] [TARGET...]      TARGET: defs, map, png, ... (default: all)
#     --goal N        executions per target (default: 10,000,000, or 1,000,000 for a target that
#                     runs below 5,000 executions a second in its first minute)
#     --max-time S    stop a target after S seconds even below its goal (default: no limit)
#     --merge-seeds   afterwards, add to fuzz/corpus/TARGET what the campaign found that covers
#                     more than the committed seeds (libFuzzer -merge=1; no seed is removed)
#     --minimise      only minimise the committed seeds of each target, no campaign
#
# A crash, sanitizer report, hang or out-of-memory stops that target: its input is copied into
# fuzz/findings/TARGET/ (./test.sh replays that folder) and the script ends with status 1 after
# the remaining targets. Work folders and the report are under build/dev/fuzz-campaign/.
set -uo pipefail
cd "$(dirname "$0")/.."

root=$PWD
bin=$root/build/dev/bin
work=$root/build/dev/fuzz-campaign
report=$work/report.txt
goal=""
max_time=0
merge_seeds=0
minimise_only=0
targets=()

while [ $# -gt 0 ]; do
  case "$1" in
    --goal) goal=$2; shift 2 ;;
    --max-time) max_time=$2; shift 2 ;;
    --merge-seeds) merge_seeds=1; shift ;;
    --minimise) minimise_only=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz_campaign: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do
    name=$(basename "$f" _fuzz.cpp)
    targets+=("$name")
  done
fi

mkdir -p "$work"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
lsan_options=$LSAN_OPTIONS

# Minimises the seeds of one target in place: every input that adds coverage, nothing else.
minimise() {
  local name=$1 extra=${2:-}
  local seeds=$root/fuzz/corpus/$name fresh=$work/$name/minimised
  rm -rf "$fresh"
  mkdir -p "$fresh" "$seeds"
  nice -n 19 "$bin/fuzz_$name" -merge=1 -rss_limit_mb=2048 -timeout=60 "$fresh" "$seeds" $extra \
    >"$work/$name/merge.log" 2>&1 || { echo "fuzz_campaign: merge of $name failed, see $work/$name/merge.log" >&2; return 1; }
  local before after seed hash
  before=$(ls "$seeds" | wc -l)
  # libFuzzer names what it keeps by the SHA-1 of the content: a seed that is kept keeps its own,
  # telling name, and only new inputs come in under their hash.
  for seed in "$seeds"/*; do
    [ -f "$seed" ] || continue
    hash=$(sha1sum "$seed" | cut -d' ' -f1)
    if [ -e "$fresh/$hash" ]; then rm -f "$fresh/$hash"; else rm -f "$seed"; fi
  done
  cp "$fresh"/* "$seeds"/ 2>/dev/null || true
  after=$(ls "$seeds" | wc -l)
  echo "$name: seeds minimised from $before to $after files"
}

# Adds to the committed seeds of one target what its campaign found that covers more; the seeds
# themselves all stay (the hand-written ones show every construct by name).
add_new_seeds() {
  local name=$1 seeds=$root/fuzz/corpus/$1 before after
  before=$(ls "$seeds" | wc -l)
  nice -n 19 "$bin/fuzz_$name" -merge=1 -rss_limit_mb=2048 -timeout=60 "$seeds" "$work/$name/corpus" \
    >"$work/$name/merge.log" 2>&1 || { echo "fuzz_campaign: merge of $name failed, see $work/$name/merge.log" >&2; return 1; }
  after=$(ls "$seeds" | wc -l)
  echo "$name: $((after - before)) new seeds added to $before"
}

# The last status line of a libFuzzer log: executions, edges (cov), features (ft), corpus, speed.
summary() {
  grep -E '^#[0-9]+' "$1" | tail -1
}

failed=0
for name in "${targets[@]}"; do
  target=$bin/fuzz_$name
  if [ ! -x "$target" ]; then
    echo "fuzz_campaign: $target is missing: cmake --preset dev && cmake --build --preset dev --target fuzz_$name" >&2
    failed=1
    continue
  fi
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  if [ $minimise_only -eq 1 ]; then
    minimise "$name" || failed=1
    continue
  fi

  folders=("$work/$name/corpus" "$root/fuzz/corpus/$name")
  [ -d "$root/fuzz/findings/$name" ] && folders+=("$root/fuzz/findings/$name")
  common=(-rss_limit_mb=2048 -timeout=25 -artifact_prefix="$work/$name/artifacts/" -print_final_stats=1)
  log=$work/$name/campaign.log
  start=$(date +%s)

  # The first minute says how fast the target is, and so which goal it has.
  nice -n 19 "$target" "${common[@]}" -max_total_time=60 ${goal:+-runs=$goal} "${folders[@]}" >"$log" 2>&1
  status=$?
  line=$(summary "$log")
  done_runs=$(sed -nE 's/^Done ([0-9]+) runs in.*/\1/p' "$log" | tail -1)
  speed=$(echo "$line" | sed -nE 's/.*exec\/s: ([0-9]+).*/\1/p')
  this_goal=$goal
  if [ -z "$this_goal" ]; then
    if [ "${speed:-0}" -lt 5000 ]; then this_goal=1000000; else this_goal=10000000; fi
  fi
  if [ $status -eq 0 ] && [ "${done_runs:-0}" -lt "$this_goal" ]; then
    rest=$((this_goal - done_runs))
    limit=()
    if [ "$max_time" -gt 0 ]; then limit=(-max_total_time=$((max_time > 60 ? max_time - 60 : 1))); fi
    nice -n 19 "$target" "${common[@]}" -runs=$rest "${limit[@]}" "${folders[@]}" >>"$log" 2>&1
    status=$?
  fi
  elapsed=$(( $(date +%s) - start ))

  # Executions over both runs; edges and features of the last one (it started from the corpus the
  # first one grew, so it covers at least as much).
  total=0
  for n in $(sed -nE 's/^Done ([0-9]+) runs in.*/\1/p' "$log"); do total=$((total + n)); done
  last=$(summary "$log")
  cov=$(echo "$last" | sed -nE 's/.*cov: ([0-9]+).*/\1/p')
  ft=$(echo "$last" | sed -nE 's/.*ft: ([0-9]+).*/\1/p')
  corp=$(echo "$last" | sed -nE 's/.*corp: ([0-9]+\/[0-9A-Za-z]+).*/\1/p')
  verdict=clean
  if [ $status -ne 0 ]; then
    verdict="FINDING (status $status)"
    mkdir -p "$root/fuzz/findings/$name"
    for a in "$work/$name/artifacts"/*; do
      [ -f "$a" ] && cp "$a" "$root/fuzz/findings/$name/" && echo "$name: kept $(basename "$a") in fuzz/findings/$name/"
    done
    failed=1
  fi
  row=$(printf '%s %-10s goal %9s executions %9s edges %6s features %7s corpus %-12s %6ss  %s' \
    "$(date -u +%Y-%m-%dT%H:%MZ)" "$name" "$this_goal" "$total" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$elapsed" "$verdict")
  echo "$row" | tee -a "$report"

  if [ $merge_seeds -eq 1 ] && [ $status -eq 0 ]; then
    add_new_seeds "$name" || failed=1
  fi
done
LSAN_OPTIONS=$lsan_options
exit $failed
