#!/usr/bin/env bash
# Sets up what is missing, builds the game and its demo content, and starts it. Arguments go to
# the game (./run.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup.sh
cmake --preset release
cmake --build --preset release
cd build/game
exec ../bin/tessera "$@"
