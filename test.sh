#!/usr/bin/env bash
# Sets up what is missing, builds the development configuration (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, libFuzzer) and runs every test; rendering tests run on a virtual
# display. Extra arguments go to ctest (for example: ./test.sh -L unit, ./test.sh -R Timer).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup.sh
cmake --preset dev
cmake --build --preset dev
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset dev -j "$(nproc)" "$@"
