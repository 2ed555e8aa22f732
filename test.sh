#!/usr/bin/env bash
# Sets up what is missing, builds the development configuration (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, libFuzzer) and runs every test; rendering tests run on a virtual
# display. Extra arguments go to ctest (for example: ./test.sh -L unit, ./test.sh -R Timer).
#
# It also cross-builds the Windows package (the `windows` preset) and runs its tests under Wine
# (label `windows`); ./test.sh --no-windows, or TESSERA_WINDOWS=0, leaves that part out.
set -euo pipefail
cd "$(dirname "$0")"

windows="${TESSERA_WINDOWS:-1}"
if [ "${1:-}" = "--no-windows" ]; then
  windows=0
  shift
fi

if [ "$windows" = 1 ]; then
  ./scripts/setup.sh --windows
else
  ./scripts/setup.sh
fi
cmake --preset dev
cmake --build --preset dev

display=(xvfb-run -a -s "-screen 0 1280x1024x24")
if [ "$windows" = 1 ]; then
  # The package carries the content this build's tools generated.
  cmake --preset windows -DTESSERA_HOST_GAME_DIR="$PWD/build/dev/game"
  cmake --build --preset windows
  "${display[@]}" bash -c 'ctest --preset dev -j "$(nproc)" "$@" && ctest --preset windows -j "$(nproc)" "$@"' \
    ctest "$@"
else
  "${display[@]}" ctest --preset dev -j "$(nproc)" -LE windows "$@"
fi
