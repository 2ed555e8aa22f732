#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, but only those missing,
# so that a second run costs nothing. Used by run.sh and test.sh; safe to run by hand.
set -euo pipefail

packages=(
  # toolchain
  g++ clang libclang-common-14-dev cmake ninja-build pkg-config make
  # the game
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri zlib1g-dev libjpeg62-turbo-dev
  # content tools (font baking)
  libfreetype-dev fonts-dejavu-core
  # tests: headless GL, unit tests, benchmarks, differential and comparison runs
  xvfb xauth libgtest-dev libbenchmark-dev fp-compiler lua5.4 liblua5.4-dev libpng-dev
)

# One query for all of them: this runs before every ./run.sh, so it must cost next to nothing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  if ! grep -qx -- "$p" <<<"$installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "setup: these packages are missing and this user cannot install them: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
