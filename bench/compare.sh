#!/usr/bin/env bash
# Measures velqo-cli side by side with rsync and cp on generated trees and
# writes the table to bench/RESULTS.md.
#
#   bench/compare.sh [scenario...]      scenarios: small large big (default: all)
#
# Each tool copies a fresh tree, re-runs with nothing to do, re-runs after 1%
# of the files changed, and mirrors after 1% of the source files were
# deleted; find listing and stat-ing both trees is the floor for a scan.
# Every figure is the median of several runs on a warm page cache. The
# resulting trees are checked to match (diff -r, and the same file mtimes).
#
# Environment: VELQO_BENCH_DIR (default /tmp/velqo-bench), VELQO_BENCH_RUNS
# (default 3), VELQO_BENCH_FSYNC_RUNS_LARGE (default 1: rsync --fsync over
# 100,000 files takes minutes per run), VELQO_BENCH_KEEP=1 keeps the trees.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=${VELQO_BENCH_DIR:-/tmp/velqo-bench}
runs=${VELQO_BENCH_RUNS:-3}
fsync_runs_large=${VELQO_BENCH_FSYNC_RUNS_LARGE:-1}
scenarios=("$@")
[ ${#scenarios[@]} -eq 0 ] && scenarios=(small large big)
results=$top/bench/RESULTS.md
command -v rsync >/dev/null || { echo "compare.sh: rsync is needed (apt-get install rsync)" >&2; exit 1; }

log() { printf '%s\n' "$*" >&2; }

# --- the program ------------------------------------------------------------
log "== building velqo-cli (Release) in build-bench"
cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build-bench" --target velqo-cli >&2

rm -rf "$work"
mkdir -p "$work/prog" "$work/home" "$work/config"
cp "$top/build-bench/cli/velqo-cli" "$work/prog/velqo-cli"
export HOME=$work/home XDG_CONFIG_HOME=$work/config VELQO_DRIVES="B=$work"
velqo=$work/prog/velqo-cli
ini=$work/prog/WINVELQO.INI

# The first run writes the INI file; the benchmark then sets the options.
"$velqo" </dev/null >/dev/null || true
ini_set() {  # key value
  grep -q "^$1=" "$ini" || { echo "compare.sh: no key $1 in $ini" >&2; exit 1; }
  sed -i "s|^$1=.*|$1=$2|" "$ini"
}
# Dir 1 and all its subdirectories, nothing confirmed, no backups (neither
# rsync nor cp keeps any); the log is on, as /J forces it.
for kv in SelectSeparate=0 UseDir1And=1 UseDir1=0 UseSubOnly=0 UseBatchFile=0 ConfirmEveryFile=0 \
          CreateBackup=0 CreateNewDir=1 EnableLog=1 AppendToFile=0 AutoGenerateFile=0; do
  ini_set "${kv%%=*}" "${kv#*=}"
done
velqo_mode() {  # add | mirror
  if [ "$1" = add ]; then
    ini_set VelqoOnly 0; ini_set Add1To2 1; ini_set CleanUp 0
  else
    ini_set VelqoOnly 0; ini_set Add1To2 0; ini_set CleanUp 1
  fi
}

# --- trees ------------------------------------------------------------------
# dirs directories two levels deep (dNNN/sN), files spread evenly, sizes
# 0-16 KiB from a fixed seed, mtimes in the past on even seconds.
generate_small_files() {  # dir files dirs
  perl -e '
    use strict; my ($root, $files, $dirs) = @ARGV;
    srand(42); my $pool = join "", map { chr(int(rand(256))) } 1 .. 65536;
    my $base = time - 30 * 86400; my $per = int($files / $dirs);
    for my $d (0 .. $dirs - 1) {
      my $dir = sprintf "%s/d%03d/s%d", $root, int($d / 10), $d % 10;
      system("mkdir", "-p", $dir) == 0 or die;
      for my $f (0 .. $per - 1) {
        my $n = $d * $per + $f; my $path = sprintf "%s/f%06d.dat", $dir, $n;
        my $size = int(rand(16384));
        open(my $fh, ">", $path) or die; binmode $fh;
        print $fh substr($pool, int(rand(65536 - $size)), $size); close $fh;
        my $t = $base + 2 * $n; utime $t, $t, $path;
      }
    }' "$1" "$2" "$3"
}
generate_big_files() {  # dir count MiB
  mkdir -p "$1/d000/s0"
  local base=$(( $(date +%s) - 30 * 86400 ))
  for i in $(seq 1 "$2"); do
    local f; f=$(printf '%s/d000/s0/big%02d.bin' "$1" "$i")
    head -c "$(( $3 << 20 ))" /dev/urandom >"$f"
    touch -d "@$(( base + 2 * i ))" "$f"
  done
}

# Every 100th file (from an offset): the 1% changed or deleted; one file
# when the tree has fewer than 100.
one_percent() {  # dir offset
  (cd "$1" && find . -type f -printf '%P\n' | sort | awk -v o="$2" '{ line[NR] = $0 } END {
    if (NR > 0 && NR < 100) { print line[o == 0 ? 1 : int(NR / 2) + 1]; exit }
    for (i = 1; i <= NR; i++) if (i % 100 == o) print line[i] }')
}
# Each change is 10 s later than the one before: a time within 3 s of the
# copy's counts as the same time, and consecutive runs can be that quick.
change_time=$(date +%s)
change_one_percent() {  # src
  change_time=$(( change_time + 10 ))
  local when=$change_time
  one_percent "$1" 0 | while IFS= read -r f; do
    printf 'changed %s\n' "$when" >>"$1/$f"
    touch -d "@$when" "$1/$f"
  done
}
stash_one_percent() {  # src stash
  mkdir -p "$2"
  one_percent "$1" 50 | while IFS= read -r f; do
    mkdir -p "$2/$(dirname "$f")"; mv "$1/$f" "$2/$f"
  done
}
unstash() {  # src stash
  (cd "$2" && find . -type f -printf '%P\n') | while IFS= read -r f; do mv "$2/$f" "$1/$f"; done
  rm -rf "$2"
}

# --- timing -----------------------------------------------------------------
declare -A samples   # "scenario step tool" -> space-separated seconds
timed() {  # key command...
  local key=$1; shift
  # Dirty data of the step before is written first, so that no tool pays
  # for the writeback of another.
  sync
  local t0=$EPOCHREALTIME
  "$@"
  local t1=$EPOCHREALTIME
  samples[$key]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }') "
}
median() {  # key -> seconds or empty
  local values=${samples[$1]:-}
  [ -z "$values" ] && return 0
  tr ' ' '\n' <<<"$values" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
count() { local values=${samples[$1]:-}; wc -w <<<"$values" | tr -d ' '; }

run_velqo() {  # src dst (B: paths)
  local status=0
  "$velqo" /J "$1" "$2" </dev/null >"$work/velqo.out" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "compare.sh: velqo-cli exited $status:" >&2; tail -n 5 "$work/velqo.out" >&2; exit 1
  fi
}
tool_first()  { case $1 in
  velqo) velqo_mode add; timed "$2 first velqo" run_velqo "$3" "$4" ;;
  rsync) timed "$2 first rsync" rsync -a "$3/" "$4/" ;;
  rsync_fsync) timed "$2 first rsync_fsync" rsync -a --fsync "$3/" "$4/" ;;
  cp) timed "$2 first cp" cp -a "$3/." "$4/" ;;
esac; }
tool_update() { case $1 in  # step src dst
  velqo) velqo_mode add; timed "$2 $3 velqo" run_velqo "$4" "$5" ;;
  rsync) timed "$2 $3 rsync" rsync -a "$4/" "$5/" ;;
  rsync_fsync) timed "$2 $3 rsync_fsync" rsync -a --fsync "$4/" "$5/" ;;
esac; }
tool_mirror() { case $1 in
  velqo) velqo_mode mirror; timed "$2 mirror velqo" run_velqo "$3" "$4" ;;
  rsync) timed "$2 mirror rsync" rsync -a --delete "$3/" "$4/" ;;
  rsync_fsync) timed "$2 mirror rsync_fsync" rsync -a --delete --fsync "$3/" "$4/" ;;
esac; }

declare -A verdict
verify() {  # scenario tool src dst
  local ok=yes
  diff -r -q "$3" "$4" >"$work/diff.out" 2>&1 || ok=no
  (cd "$3" && find . -type f -printf '%P %T@\n' | sort) >"$work/t1"
  (cd "$4" && find . -type f -printf '%P %T@\n' | sort) >"$work/t2"
  cmp -s "$work/t1" "$work/t2" || ok=no
  if [ "$ok" = no ]; then
    log "   MISMATCH for $2 on $1:"; head -n 5 "$work/diff.out" >&2
    diff "$work/t1" "$work/t2" | head -n 5 >&2 || true
  fi
  verdict["$1 $2"]=$ok
}

scan_floor() {  # scenario src dst
  for _ in $(seq 1 "$runs"); do
    timed "$1 noop find" sh -c 'find "$1" "$2" -printf "%s %T@\n" >/dev/null' sh "$2" "$3"
  done
}

run_scenario() {  # name files dirs | name big
  local name=$1 src=$work/$1/src
  log "== $name: generating"
  mkdir -p "$work/$name"
  case $name in
    small) generate_small_files "$src" 10000 200 ;;
    large) generate_small_files "$src" 100000 2000 ;;
    big) generate_big_files "$src" 20 64 ;;
  esac
  for tool in velqo rsync rsync_fsync cp; do
    local n=$runs
    [ "$tool" = rsync_fsync ] && [ "$name" = large ] && n=$fsync_runs_large
    local dst=$work/$name/dst-$tool
    for r in $(seq 1 "$n"); do
      log "== $name: $tool run $r of $n"
      rm -rf "$dst"; mkdir -p "$dst"
      if [ "$tool" = velqo ]; then
        tool_first velqo "$name" "B:\\$name\\src" "B:\\$name\\dst-velqo"
      else
        tool_first "$tool" "$name" "$src" "$dst"
      fi
      if [ "$tool" = cp ]; then
        [ "$r" = "$n" ] && verify "$name" cp "$src" "$dst"
        continue
      fi
      local s=$src d=$dst
      [ "$tool" = velqo ] && s="B:\\$name\\src" d="B:\\$name\\dst-velqo"
      tool_update "$tool" "$name" noop "$s" "$d"
      change_one_percent "$src"
      tool_update "$tool" "$name" change "$s" "$d"
      stash_one_percent "$src" "$work/$name/stash"
      tool_mirror "$tool" "$name" "$s" "$d"
      [ "$r" = "$n" ] && verify "$name" "$tool" "$src" "$dst"
      unstash "$src" "$work/$name/stash"
    done
  done
  scan_floor "$name" "$src" "$work/$name/dst-rsync"
  [ "${VELQO_BENCH_KEEP:-0}" = 1 ] || rm -rf "$work/$name"
}

for s in "${scenarios[@]}"; do run_scenario "$s"; done

# --- the table --------------------------------------------------------------
ratio() { [ -n "$1" ] && [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b }'; }
cell() { local m; m=$(median "$1"); [ -z "$m" ] && { printf '—'; return; }; printf '%s s' "$m"; local c; c=$(count "$1"); [ "$c" != "$runs" ] && printf ' (%s run)' "$c"; return 0; }
describe() { case $1 in
  small) echo "10,000 files (0-16 KiB) in 200 directories" ;;
  large) echo "100,000 files (0-16 KiB) in 2,000 directories" ;;
  big) echo "20 files of 64 MiB" ;;
esac; }

{
  echo "# velqo-cli compared with rsync and cp"
  echo
  echo "Measured by \`bench/compare.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'): $(nproc) cores,"
  echo "$(free -g | awk '/^Mem:/ { print $2 }') GiB memory, $(df -PT "$work" | awk 'NR == 2 { print $2 }') file system,"
  echo "$("$velqo" --version) (tree $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo '?')$(git -C "$top" diff --quiet HEAD 2>/dev/null || echo ' with local changes')), $(rsync --version | head -n 1 | sed 's/  */ /g'), $(cp --version | head -n 1)."
  echo "Median of $runs runs (fewer where marked), warm page cache, everything written"
  echo "back (sync) before each timed step, times in seconds."
  echo
  echo "- first: a fresh copy into an empty directory (velqo-cli: Add1To2, Dir 1 and all"
  echo "  subdirectories, /J, log on, no backups)."
  echo "- noop: the same again with nothing to do; the find column is the floor for a"
  echo "  scan (find listing and stat-ing both trees)."
  echo "- change: after 1% of the files (at least one) got new contents and times."
  echo "- mirror: after 1% of the source files (at least one) were deleted (velqo-cli"
  echo "  CleanUp, rsync --delete)."
  echo
  echo "rsync -a runs a sender and a receiver process, so on two cores its scan can"
  echo "beat the single-process find floor."
  echo
  echo "Durability: rsync --fsync flushes every copied file. velqo-cli gives each copy a"
  echo "provisional old time, flushes the target file system once per directory pair"
  echo "(syncfs) and then sets the real times, so after a crash no copy looks up to date"
  echo "unless its data is on disk. Plain rsync -a and cp -a promise neither."
  echo
  for s in "${scenarios[@]}"; do
    echo "## $(describe "$s")"
    echo
    echo "| step | velqo-cli | rsync -a | rsync -a --fsync | cp -a | find floor | velqo / rsync | velqo / rsync --fsync | velqo / floor |"
    echo "|---|---|---|---|---|---|---|---|---|"
    for step in first noop change mirror; do
      v=$(median "$s $step velqo"); r=$(median "$s $step rsync"); f=$(median "$s $step rsync_fsync")
      fl=$(median "$s $step find")
      echo "| $step | $(cell "$s $step velqo") | $(cell "$s $step rsync") | $(cell "$s $step rsync_fsync") | $(cell "$s $step cp") | $(cell "$s $step find") | $(ratio "$v" "$r") | $(ratio "$v" "$f") | $(ratio "$v" "$fl") |"
    done
    echo
    echo -n "Trees match (diff -r and file mtimes):"
    for tool in velqo rsync rsync_fsync cp; do echo -n " $tool ${verdict["$s $tool"]:-?};"; done
    echo
    echo
    v=$(median "$s noop velqo"); fl=$(median "$s noop find"); r=$(median "$s noop rsync")
    vf=$(median "$s first velqo"); rf=$(median "$s first rsync_fsync")
    goal() { if awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; then echo "met"; else echo "MISSED"; fi; }
    lim=$(awk -v a="$fl" 'BEGIN { printf "%.3f", 1.5 * a }')
    echo "Goals: no-op at most 1.5 times the floor ($v s against $lim s): $(goal "$v" "$lim");"
    echo "no-op faster than rsync -a ($v s against $r s): $(goal "$v" "$r");"
    echo "first copy no slower than rsync -a --fsync ($vf s against $rf s): $(goal "$vf" "$rf")."
    echo
  done
} >"$results"
cat "$results"
