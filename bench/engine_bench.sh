#!/bin/bash
# Measures a no-op update (both trees present and equal) against `find`
# listing and stat-ing the same two trees, side by side, median of several
# runs, for 100,000 files in 2,000 directories and 10,000 files in 200.
#   bench/engine_bench.sh [RUNS]
# Trees are made under /tmp/velqo-engine-bench (kept between runs; delete it to
# regenerate). Prints the ratio engine/find and the engine's peak RSS.
set -euo pipefail

runs=${1:-5}
repo=$(cd "$(dirname "$0")/.." && pwd)
# A build tree of its own: bench/compare.sh builds in build-bench and may run
# at the same time.
build=${VELQO_ENGINE_BENCH_BUILD:-$repo/build-engine-bench}
work=${VELQO_ENGINE_BENCH_DIR:-/tmp/velqo-engine-bench}

# Release build of the two bench programs only, warnings as errors as in
# every other build.
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQO_WERROR=ON >/dev/null
cmake --build "$build" --target engine_bench make_tree -j2 >/dev/null

make_pair() {  # NAME FILES DIRS
  local dir=$work/$1
  if [[ ! -d $dir/d/tree ]]; then
    rm -rf "$dir"
    mkdir -p "$dir/c" "$dir/d"
    "$build/bench/make_tree" "$dir/c/tree" "$2" "$3"
    cp -a "$dir/c/tree" "$dir/d/tree"
  fi
}

seconds() {  # command... ; prints its wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

measure() {  # NAME FILES DIRS
  make_pair "$@"
  local dir=$work/$1 find_times=() engine_times=() rss=0 line
  # One warm-up of each, so both read from the page cache.
  find "$dir/c/tree" "$dir/d/tree" -printf '%s %T@\n' >/dev/null
  "$build/bench/engine_bench" "$dir/c/tree" "$dir/d/tree" >/dev/null
  for ((i = 0; i < runs; i++)); do
    find_times+=("$(seconds find "$dir/c/tree" "$dir/d/tree" -printf '%s %T@\n')")
    line=$("$build/bench/engine_bench" "$dir/c/tree" "$dir/d/tree")
    engine_times+=("$(sed -E 's/.*wall_seconds=([0-9.]+).*/\1/' <<<"$line")")
    rss=$(sed -E 's/.*peak_rss_kb=([0-9]+).*/\1/' <<<"$line")
    [[ $line == *outcome=nothing-to-do* ]] || echo "unexpected: $line" >&2
  done
  local f e
  f=$(printf '%s\n' "${find_times[@]}" | median)
  e=$(printf '%s\n' "${engine_times[@]}" | median)
  printf '%-7s files=%-6s dirs=%-5s find=%.3fs engine=%.3fs ratio=%.2f peak_rss=%s KB\n' \
    "$1" "$2" "$3" "$f" "$e" "$(echo "$e / $f" | bc -l)" "$rss"
}

measure small 10000 200
measure large 100000 2000
