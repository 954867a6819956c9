#!/usr/bin/env bash
# Times an update in the windowed program against velqo-cli on the same tree
# with the same options: Dir 1 with all its subdirectories, files added to
# Dir 2, nothing confirmed (the status window shows each copy), no backups,
# the log on, no question asked (/J for both).
#
#   bench/window_bench.sh [FILES [DIRS [ROUNDS]]]    default 30000 300 3
#
# Each round times, in turn, velqo-cli and the window on a first copy into
# an empty Dir 2, then both again with nothing to do; every figure is the
# median of the rounds, wall time and processor time (user and system)
# apart: the wall time of a first copy includes waits for the disk, which a
# busy machine makes long and uneven. The window runs on the offscreen platform, or in a
# virtual X server with VELQO_WINDOW_BENCH_X=1 (needs xvfb-run). Trees are
# made under VELQO_WINDOW_BENCH_DIR (default /tmp/velqo-window-bench). The
# goal: the window within 1.2 times velqo-cli's time. VELQO_WINDOW_BENCH_BUILD
# names an existing build tree to use as it is configured (default: a
# Release tree of its own, build-window-bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-30000}
dirs=${2:-300}
rounds=${3:-3}
work=${VELQO_WINDOW_BENCH_DIR:-/tmp/velqo-window-bench}
build=${VELQO_WINDOW_BENCH_BUILD:-}

log() { printf '%s\n' "$*" >&2; }

if [ -z "$build" ]; then
  build=$top/build-window-bench
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELQO_WERROR=ON >/dev/null
fi
log "== building velqo-cli, window_bench and make_tree in $build"
cmake --build "$build" --target velqo-cli window_bench make_tree -j2 >&2

rm -rf "$work"
mkdir -p "$work/prog" "$work/home" "$work/config"
# Outside the build tree both programs keep their settings in the same
# WINVELQO.INI under XDG_CONFIG_HOME.
cp "$build/cli/velqo-cli" "$build/bench/window_bench" "$work/prog/"
export HOME=$work/home XDG_CONFIG_HOME=$work/config VELQO_DRIVES="B=$work"
cli=$work/prog/velqo-cli
window=$work/prog/window_bench
"$cli" </dev/null >/dev/null || true
ini=$XDG_CONFIG_HOME/velqo/WINVELQO.INI
[ -f "$ini" ] || { echo "window_bench.sh: velqo-cli wrote no INI file" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "window_bench.sh: GNU time is needed (apt-get install time)" >&2; exit 1; }
ini_set() {  # key value
  grep -q "^$1=" "$ini" || { echo "window_bench.sh: no key $1 in $ini" >&2; exit 1; }
  sed -i "s|^$1=.*|$1=$2|" "$ini"
}
for kv in SelectSeparate=0 UseDir1And=1 UseDir1=0 UseSubOnly=0 UseBatchFile=0 ConfirmEveryFile=0 \
          VelqoOnly=0 Add1To2=1 AddBothWays=0 CleanUp=0 \
          CreateBackup=0 CreateNewDir=1 EnableLog=1 AppendToFile=0 AutoGenerateFile=0 \
          ArchiveFilter=2 ReadOnlyFilter=2 HiddenFilter=2 SystemFilter=2 \
          IncArcDir=1 IncHidDir=1 IncRODir=1 IncSysDir=1 MainSkin=None 'Path1=B:\\src' 'Path2=B:\\dst'; do
  ini_set "${kv%%=*}" "${kv#*=}"
done

log "== making a tree of $files files in $dirs directories"
"$build/bench/make_tree" "$work/src" "$files" "$dirs"

run_window() {
  if [ "${VELQO_WINDOW_BENCH_X:-0}" = 1 ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$window"
  else
    env -u DISPLAY QT_QPA_PLATFORM=offscreen "$window"
  fi
}

cli_seconds() {  # prints "wall cpu" of one velqo-cli run
  /usr/bin/time -f '%e %U %S' -o "$work/time.out" "$cli" /J 'B:\src' 'B:\dst' </dev/null >"$work/step.out" 2>&1 ||
    { cat "$work/step.out" >&2; return 1; }
  awk '{printf "%s %.3f\n", $1, $2 + $3}' "$work/time.out"
}
window_seconds() {
  local line
  line=$(run_window 2>"$work/window.err") || { cat "$work/window.err" >&2; return 1; }
  [[ $line == *"status=\"Update Completed\""* || $line == *"status=\"No Update Necessary"* ]] ||
    { echo "window_bench.sh: unexpected: $line" >&2; return 1; }
  log "   window: $line"
  sed -E 's/.*wall_seconds=([0-9.]+) user_seconds=([0-9.]+) system_seconds=([0-9.]+).*/\1 \2 \3/' <<<"$line" |
    awk '{printf "%s %.3f\n", $1, $2 + $3}'
}
fresh_dst() { rm -rf "$work/dst"; mkdir -p "$work/dst"; sync; sleep 2; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

cli_first=() win_first=() cli_noop=() win_noop=()
for ((r = 1; r <= rounds; r++)); do
  log "== round $r of $rounds"
  fresh_dst
  cli_first+=("$(cli_seconds)")
  cli_noop+=("$(cli_seconds)")
  diff -r "$work/src" "$work/dst" >/dev/null || { echo "window_bench.sh: velqo-cli's copy differs" >&2; exit 1; }
  fresh_dst
  win_first+=("$(window_seconds)")
  win_noop+=("$(window_seconds)")
  diff -r "$work/src" "$work/dst" >/dev/null || { echo "window_bench.sh: the window's copy differs" >&2; exit 1; }
  log "   first copy (wall cpu): velqo-cli ${cli_first[-1]}, window ${win_first[-1]}; nothing to do: velqo-cli ${cli_noop[-1]}, window ${win_noop[-1]}"
done

report() {  # name cli-figures... window-figures... ("wall cpu" each)
  local name=$1; shift
  local cw cc ww wc
  cw=$(printf '%s\n' "${@:1:rounds}" | cut -d' ' -f1 | median)
  cc=$(printf '%s\n' "${@:1:rounds}" | cut -d' ' -f2 | median)
  ww=$(printf '%s\n' "${@:rounds+1}" | cut -d' ' -f1 | median)
  wc=$(printf '%s\n' "${@:rounds+1}" | cut -d' ' -f2 | median)
  printf '%-12s files=%s dirs=%s wall: velqo-cli=%.2fs window=%.2fs ratio=%.2f (goal 1.2); cpu: velqo-cli=%.2fs window=%.2fs ratio=%.2f\n' \
    "$name" "$files" "$dirs" "$cw" "$ww" "$(echo "$ww / $cw" | bc -l)" "$cc" "$wc" "$(echo "$wc / $cc" | bc -l)"
}
platform=offscreen
[ "${VELQO_WINDOW_BENCH_X:-0}" = 1 ] && platform=xvfb
echo "platform=$platform rounds=$rounds"
report "first copy" "${cli_first[@]}" "${win_first[@]}"
report "nothing" "${cli_noop[@]}" "${win_noop[@]}"
