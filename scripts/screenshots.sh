#!/usr/bin/env bash
# Takes the screenshots README.md shows: the main window in its single-pair
# and batch layouts and each dialog, drawn by the windowed program in a
# virtual X server (Xvfb), saved under docs/screenshots/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
if ! command -v xvfb-run >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends xvfb xauth
fi
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velqo-shots -j2
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" \
  build/ui/velqo-shots docs/screenshots ui/skins ui/help
