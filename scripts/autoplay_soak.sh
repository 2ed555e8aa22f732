#!/usr/bin/env bash
# The long autoplay run: the demo match played by the AI for every player under AddressSanitizer
# and UndefinedBehaviorSanitizer (the dev build), drawing every 50th frame, then a summary from the
# state dump: ticks, wall time, turns ended, health lost and deaths. Not part of ./test.sh; run it
# by hand: scripts/autoplay_soak.sh [TICKS] (default 20000).
set -euo pipefail
cd "$(dirname "$0")/.."

ticks="${1:-20000}"
./scripts/setup.sh
cmake --preset dev >/dev/null
nice cmake --build --preset dev --target tessera tessera_content

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$PWD/build/dev/game/Data" "$work/Data"
ln -s "$PWD/build/dev/game/maps" "$work/maps"

start=$(date +%s)
status=0
(cd "$work" && nice xvfb-run -a -s "-screen 0 1280x1024x24" "$OLDPWD/build/dev/bin/tessera" --headless \
  --fixed-clock --autoplay --ticks "$ticks" --draw-every 50 --dump-state state.txt) || status=$?
seconds=$(( $(date +%s) - start ))

dump="$work/state.txt"
if [ ! -f "$dump" ]; then
  echo "soak: no state dump was written (status $status)" >&2
  exit 1
fi
awk -v status="$status" -v seconds="$seconds" '
  /^Tick /        { tick = $2 }
  /^TurnsEnded /  { turns = $2 }
  /^creature\.[0-9]+\.Alive / { creatures++; if ($2 == 0) dead++ }
  /^creature\.[0-9]+\.Health / { health[$1] = $2 }
  /^creature\.[0-9]+\.HealthMax / { key = $1; sub(/HealthMax$/, "Health", key); lost += $2 - health[key] }
  END {
    printf "soak: exit status %d, %d ticks in %d s, %d turns ended, %d health lost, %d of %d creatures dead\n",
           status, tick, seconds, turns, lost, dead, creatures
  }' "$dump"
[ "$status" -eq 0 ]
