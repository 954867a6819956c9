#!/usr/bin/env bash
# Builds the programs and starts one: the windowed program when a display is
# available and it can be built, otherwise velqo-cli with the arguments given
# (for example two host directories to update). Build messages go to
# standard error, so standard output is the program's alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh >&2
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -f ui/CMakeLists.txt ]; then
  cmake --build build -j"$(nproc)" >&2
  if [ -x build/ui/velqo ]; then
    exec build/ui/velqo "$@"
  fi
else
  cmake --build build --target velqo-cli -j"$(nproc)" >&2
fi
exec build/cli/velqo-cli "$@"
