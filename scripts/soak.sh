#!/usr/bin/env bash
# Soak: the AI plays the demo map on the fixed clock under the sanitizers of the dev build, for an
# hour of game time by default, while the resident memory is sampled. Run once and reported; not
# part of ./test.sh.
#
#   scripts/soak.sh [--ticks N] [--draw-every N] [--map FILE] [--out DIR] [--wall-limit S]
#     --ticks N        game ticks to run (default 225000: one hour at 16 ms a tick)
#     --draw-every N   draw every Nth frame (default 60)
#     --map FILE       map, relative to the game folder (default maps/proba.map, the demo scenario)
#     --out DIR        where the dumps, samples and report go (default build/dev/soak)
#     --wall-limit S   after S seconds of wall time ask the game to quit (SIGTERM, which it
#                      takes as closing the window: the end dump and the leak check still run)
#                      and report the ticks it reached; 0, the default, waits for all of them
#     --flat-mb N      growth of the resident set allowed after the first game minute (default 64)
#
# A state dump is taken after the first game minute, after five, and every five game minutes after
# that; the resident set at each is in the report, and the players' count of ended turns must grow
# between dumps (an AI turn that never ends stops it). The run passes when the game ends with
# status 0, the sanitizers (LeakSanitizer at exit included, with only the GL driver's own
# allocations suppressed) report nothing, and the resident set after the first minute grows by
# less than the --flat-mb allowance (default 64 MB) to the end.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

ticks=225000
draw_every=60
map=maps/proba.map
out=$root/build/dev/soak
flat_mb=64
wall_limit=0
while [ $# -gt 0 ]; do
  case "$1" in
    --ticks) ticks=$2; shift 2 ;;
    --draw-every) draw_every=$2; shift 2 ;;
    --map) map=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --flat-mb) flat_mb=$2; shift 2 ;;
    --wall-limit) wall_limit=$2; shift 2 ;;
    -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak: unknown option $1" >&2; exit 2 ;;
  esac
done

game=$root/build/dev/game
bin=$root/build/dev/bin/tessera
if [ ! -x "$bin" ]; then
  echo "soak: $bin is missing: cmake --preset dev && cmake --build --preset dev --target tessera" >&2
  exit 2
fi
rm -rf "$out"
mkdir -p "$out"
# A copy, so that building while the soak runs leaves the running game alone.
cp "$bin" "$out/tessera"
bin=$out/tessera

minute=3750  # game ticks of 16 ms in a minute
dump_ticks=()
for ((t = minute; t < ticks; t = (t == minute ? 5 * minute : t + 5 * minute))); do dump_ticks+=("$t"); done
dump_args=()
for t in "${dump_ticks[@]}"; do dump_args+=(--dump-state "$t:$out/state-$t.txt"); done
dump_args+=(--dump-state "$out/state-end.txt")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"

# The GL driver is loaded for the whole run: when it is unloaded at exit, the blocks its static
# data points to are no longer reachable and LeakSanitizer reports them, with no module to name.
keep_loaded=""
for lib in /lib/x86_64-linux-gnu/libGLX_mesa.so.0 /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so; do
  [ -e "$lib" ] && keep_loaded=${keep_loaded:+$keep_loaded:}$lib
done

start=$(date +%s)
(cd "$game" && exec nice -n 19 xvfb-run -a -s "-screen 0 1280x1024x24" \
  env ${keep_loaded:+LD_PRELOAD=$keep_loaded} "$bin" --headless --fixed-clock \
  --autoplay --draw-every "$draw_every" --ticks "$ticks" --map "$map" "${dump_args[@]}") \
  >"$out/stdout.txt" 2>"$out/stderr.txt" &
runner=$!

# The game is the xvfb-run's child; its resident set is sampled each second, and noted at the
# moment each dump appears.
samples=$out/rss.txt
: >"$samples"
declare -A noted
game_pid=""
stopped=""
while kill -0 "$runner" 2>/dev/null; do
  if [ "$wall_limit" -gt 0 ] && [ -z "$stopped" ] && [ -n "$game_pid" ] &&
     [ $(($(date +%s) - start)) -ge "$wall_limit" ]; then
    kill -TERM "$game_pid" 2>/dev/null && stopped=yes
  fi
  if [ -z "$game_pid" ]; then
    game_pid=$(pgrep -n -f "^$bin --headless --fixed-clock" || true)
  fi
  if [ -n "$game_pid" ] && [ -r "/proc/$game_pid/status" ]; then
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$game_pid/status" 2>/dev/null)
    now=$(($(date +%s) - start))
    [ -n "$rss" ] && echo "$now $rss" >>"$samples"
    for t in "${dump_ticks[@]}"; do
      if [ -z "${noted[$t]:-}" ] && [ -s "$out/state-$t.txt" ]; then
        noted[$t]=$rss
        echo "tick $t (game minute $((t / minute))): resident ${rss} kB after ${now}s" | tee -a "$out/marks.txt"
      fi
    done
  fi
  sleep 1
done
wait "$runner"
status=$?
# Stopped early, the game says which of the later dumps it did not write and ends with status 1.
if [ -n "$stopped" ] && [ "$status" -eq 1 ] &&
   ! grep -v "^tessera: the run ended after tick .* was not written$" "$out/stderr.txt" | grep -q "^tessera: .*\(fail\|error\|cannot\)"; then
  status=0
fi
elapsed=$(($(date +%s) - start))

report=$out/report.txt
{
  echo "soak: $ticks ticks of $map, draw every $draw_every: status $status after ${elapsed}s"
  cat "$out/marks.txt" 2>/dev/null
  peak=$(sort -k2 -n "$samples" | tail -1 | cut -d' ' -f2)
  echo "peak resident: ${peak:-?} kB"
  last_tick=$(sed -nE 's/^Tick ([0-9]+)$/\1/p' "$out/state-end.txt" 2>/dev/null)
  echo "ticks run: ${last_tick:-unknown}${stopped:+ (stopped at the wall-time limit of ${wall_limit}s)}"
  prev=-1
  # The numbered dumps in tick order, then the one written at the end.
  for f in $(ls "$out"/state-[0-9]*.txt 2>/dev/null | sort -t- -k2 -n) $(ls "$out"/state-end.txt 2>/dev/null); do
    ended=$(sed -nE 's/^TurnsEnded ([0-9]+)$/\1/p' "$f")
    echo "$(basename "$f"): TurnsEnded ${ended:-?}"
    if [ -n "$ended" ] && [ "$ended" -le "$prev" ]; then echo "FAIL: no turn ended before $(basename "$f")"; status=1; fi
    prev=${ended:-$prev}
  done
  if grep -qE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$out/stderr.txt"; then
    echo "FAIL: the sanitizers reported (see $out/stderr.txt)"
    status=1
  fi
  first=${noted[$minute]:-}
  if [ -n "$first" ] && [ -n "${peak:-}" ] && [ $((peak - first)) -gt $((flat_mb * 1024)) ]; then
    echo "FAIL: resident memory grew by $(((peak - first) / 1024)) MB after the first minute"
    status=1
  fi
} | tee "$report"
grep -q "^FAIL" "$report" && status=1
exit $status
