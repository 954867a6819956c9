#!/usr/bin/env bash
# Builds the programs and starts one: the windowed program when a display is
# available and it has been built, otherwise velqo-cli with the arguments given.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
scripts/build.sh build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/ui/velqo ]; then
  exec build/ui/velqo "$@"
fi
exec build/cli/velqo-cli "$@"
