#!/usr/bin/env bash
# Configures and builds one build tree: build.sh <dir> [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
launcher=()
# A compiler cache, where the machine has one, makes rebuilds of other trees cheap.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$top/$dir" -j"$(nproc)"
