#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: ctest and the comparison tests start every .exe
# through this. The Wine prefix lives in the build tree (TESSERA_WINEPREFIX overrides it) and is
# made once, quietly; Wine's own diagnostics stay off unless WINEDEBUG says otherwise.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
export WINEPREFIX="${TESSERA_WINEPREFIX:-$here/../build/windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No browser or .NET runtime for the prefix: nothing here needs them, and asking costs minutes.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
  if command -v "$candidate" >/dev/null 2>&1; then
    wine="$candidate"
    break
  fi
done
if [ -z "$wine" ]; then
  echo "wine.sh: Wine is not installed (./scripts/setup.sh --windows installs it)" >&2
  exit 127
fi

# Parallel tests share the prefix: the first one makes it while the others wait.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
    fi
  ) 9>"$WINEPREFIX/.lock"
fi

exec "$wine" "$@"
