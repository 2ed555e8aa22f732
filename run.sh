#!/usr/bin/env bash
# Sets up what is missing, builds the game, its tools and its demo content (no tests, benchmarks
# or fuzz targets: ./test.sh and the bench preset build those), and starts the game. Arguments go
# to the game (./run.sh --help lists them); file names in them are taken from the folder run.sh
# was started in. Progress goes to standard error, so the game's own output stays apart.
set -euo pipefail
from=$PWD
cd "$(dirname "$0")"

say() { echo "run.sh: $*" >&2; }

say "checking the packages (scripts/setup.sh)"
./scripts/setup.sh
# Configuring again costs seconds; only a missing build, or one made before tests were left out of
# this preset, needs it (the build step itself reconfigures when a CMakeLists.txt changes).
if [ ! -f build/build.ninja ] || ! grep -q '^TESSERA_TESTS:BOOL=OFF' build/CMakeCache.txt 2>/dev/null; then
  say "configuring the release build in build/"
  cmake --preset release >&2
fi
say "building the game, the tools and the demo content"
if ! cmake --build --preset release >&2; then
  say "the build failed"
  exit 1
fi
say "starting build/bin/tessera in build/game/"
exec ./scripts/start-game.sh build "$from" "$@"
