#!/usr/bin/env bash
# Starts the game of a build: start-game.sh BUILD_DIR FROM_DIR [game options...]
# The game reads Data/ and maps/ from its working directory, BUILD_DIR/game/, and takes file names
# relative to it; a user names files relative to where they stand. So the file names of the path
# options are made absolute against FROM_DIR first: --map, --input, --record, and --screenshot and
# --dump-state (FILE or TICK:FILE). run.sh uses this; the tests run it on their own build.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: start-game.sh BUILD_DIR FROM_DIR [game options...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
from=$(cd "$2" && pwd)
shift 2

absolute() {
  case "$1" in
    /*) printf '%s' "$1" ;;
    *) printf '%s/%s' "$from" "$1" ;;
  esac
}

args=()
while [ $# -gt 0 ]; do
  option=$1
  shift
  args+=("$option")
  case "$option" in
    --map | --input | --record)
      if [ $# -gt 0 ]; then
        args+=("$(absolute "$1")")
        shift
      fi
      ;;
    --screenshot | --dump-state)
      if [ $# -gt 0 ]; then
        # TICK:FILE keeps its tick; only the file part is a path.
        if [[ "$1" =~ ^([0-9]+):(.*)$ ]]; then
          args+=("${BASH_REMATCH[1]}:$(absolute "${BASH_REMATCH[2]}")")
        else
          args+=("$(absolute "$1")")
        fi
        shift
      fi
      ;;
  esac
done

cd "$build/game"
exec "$build/bin/tessera" "${args[@]}"
