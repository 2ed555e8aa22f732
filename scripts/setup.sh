#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, but only those missing,
# so that a second run costs nothing. Used by run.sh and test.sh; safe to run by hand.
# With --windows it also installs what the Windows build and its tests need (the MinGW-w64 cross
# compiler, zlib for it, Wine) and fetches the source of libjpeg-turbo for the cross build; a
# player never needs these, so ./run.sh does not ask for them.
set -euo pipefail
cd "$(dirname "$0")/.."

windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
fi

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
if [ "$windows" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64)
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "setup: this needs root and this user cannot get it: $*" >&2
    exit 1
  fi
}

# The libjpeg-turbo source of the host's own package, for the Windows build (build/sources/).
fetch_jpeg_source() {
  if compgen -G "build/sources/libjpeg-turbo_*.orig.tar.gz" >/dev/null; then
    return 0
  fi
  if ! grep -rqs '^\(Types: \)\?deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "setup: adding source entries beside the binary ones, for apt-get source"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        as_root tee /etc/apt/sources.list.d/tessera-deb-src.sources >/dev/null
    fi
    if [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        as_root tee /etc/apt/sources.list.d/tessera-deb-src.list >/dev/null
    fi
    as_root apt-get update -q
  fi
  mkdir -p build/sources
  # Source lists that were never fetched know no source packages yet.
  if ! (cd build/sources && apt-get source --download-only -q libjpeg-turbo); then
    as_root apt-get update -q
    (cd build/sources && apt-get source --download-only -q libjpeg-turbo)
  fi
}

# One query for all of them: this runs before every ./run.sh, so it must cost next to nothing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  if ! grep -qx -- "$p" <<<"$installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ "$windows" = 1 ]; then
  fetch_jpeg_source
fi
