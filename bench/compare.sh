#!/usr/bin/env bash
# Measures velqo-cli side by side with rsync and cp on generated trees and
# writes the tables to bench/RESULTS.md.
#
#   bench/compare.sh [scenario...]   scenarios: small large big scale (default: all)
#
# Each tool copies a fresh tree, re-runs with nothing to do, re-runs after 1%
# of the files changed, and mirrors after 1% of the source files were
# deleted; find listing and stat-ing both trees is the floor for a scan. The
# tools take turns within every round, so that a busy machine weighs on all
# of them alike; every figure is the median of the rounds, on a warm page
# cache. The resulting trees are checked to match (diff -r, and the same
# file mtimes). The scale scenario times velqo-cli alone on trees of 100,000,
# 300,000 and 1,000,000 files (100 files of 1 KiB per directory) with its
# peak memory.
#
# Environment: VELQO_BENCH_DIR (default /tmp/velqo-bench), VELQO_BENCH_RUNS
# (rounds of the scans, default 5), VELQO_BENCH_SETTLE (seconds between
# removing a copy and the next first copy, default 6), VELQO_BENCH_FIRST_RUNS (rounds of first
# copies, changes and mirrors, default 3), VELQO_BENCH_SCALE (file counts of
# the scale scenario, default "100000 300000 1000000"), VELQO_BENCH_KEEP=1
# keeps the trees.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=${VELQO_BENCH_DIR:-/tmp/velqo-bench}
runs=${VELQO_BENCH_RUNS:-5}
first_runs=${VELQO_BENCH_FIRST_RUNS:-3}
scale_sizes=${VELQO_BENCH_SCALE:-100000 300000 1000000}
scenarios=("$@")
[ ${#scenarios[@]} -eq 0 ] && scenarios=(small large big scale)
results=$top/bench/RESULTS.md
command -v rsync >/dev/null || { echo "compare.sh: rsync is needed (apt-get install rsync)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "compare.sh: GNU time is needed (apt-get install time)" >&2; exit 1; }
[ "$first_runs" -le "$runs" ] || { echo "compare.sh: VELQO_BENCH_FIRST_RUNS exceeds VELQO_BENCH_RUNS" >&2; exit 1; }

log() { printf '%s\n' "$*" >&2; }

# --- the program ------------------------------------------------------------
log "== building velqo-cli and make_tree (Release) in build-bench"
cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build-bench" --target velqo-cli make_tree >&2

rm -rf "$work"
mkdir -p "$work/prog" "$work/home" "$work/config"
cp "$top/build-bench/cli/velqo-cli" "$work/prog/velqo-cli"
make_tree=$top/build-bench/bench/make_tree
export HOME=$work/home XDG_CONFIG_HOME=$work/config VELQO_DRIVES="B=$work"
velqo=$work/prog/velqo-cli

# The first run writes the INI file (in the Windows directory, as the
# program does not run from its build tree); the benchmark then sets the
# options.
"$velqo" </dev/null >/dev/null || true
ini=$XDG_CONFIG_HOME/velqo/WINVELQO.INI
[ -f "$ini" ] || ini=$work/prog/WINVELQO.INI
[ -f "$ini" ] || { echo "compare.sh: velqo-cli wrote no INI file" >&2; exit 1; }
ini_set() {  # key value
  grep -q "^$1=" "$ini" || { echo "compare.sh: no key $1 in $ini" >&2; exit 1; }
  sed -i "s|^$1=.*|$1=$2|" "$ini"
}
# Dir 1 and all its subdirectories, nothing confirmed, no backups (neither
# rsync nor cp keeps any); the log is on, as /J forces it. rsync -a and cp -a
# take every file and directory whatever its flags, so velqo-cli's attribute
# filters take either value too ("noop, flag filters" below shows the cost of
# the default filters, which leave out hidden and system files).
for kv in SelectSeparate=0 UseDir1And=1 UseDir1=0 UseSubOnly=0 UseBatchFile=0 ConfirmEveryFile=0 \
          CreateBackup=0 CreateNewDir=1 EnableLog=1 AppendToFile=0 AutoGenerateFile=0 \
          ArchiveFilter=2 ReadOnlyFilter=2 HiddenFilter=2 SystemFilter=2 \
          IncArcDir=1 IncHidDir=1 IncRODir=1 IncSysDir=1; do
  ini_set "${kv%%=*}" "${kv#*=}"
done
velqo_mode() {  # add | mirror
  if [ "$1" = add ]; then
    ini_set VelqoOnly 0; ini_set Add1To2 1; ini_set CleanUp 0
  else
    ini_set VelqoOnly 0; ini_set Add1To2 0; ini_set CleanUp 1
  fi
}
velqo_flag_filters() {  # on | off
  if [ "$1" = on ]; then ini_set HiddenFilter 0; ini_set SystemFilter 0; else ini_set HiddenFilter 2; ini_set SystemFilter 2; fi
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
declare -A samples   # "scenario step tool" -> space-separated seconds (wall)
declare -A cpu       # the same, processor time (user + system)
declare -A rss       # "scenario step tool" -> largest peak resident set, KiB
timed() {  # key command...: runs command, output to $work/step.out (the floor's to /dev/null)
  local key=$1; shift
  local out=$work/step.out
  [ "$1" = find ] && out=/dev/null
  # Dirty data of the step before is written first, so that no tool pays
  # for the writeback of another.
  sync
  local status=0 t0 t1
  t0=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$work/time.out" "$@" </dev/null >"$out" 2>"$work/step.err" || status=$?
  t1=$EPOCHREALTIME
  if [ "$status" -ne 0 ]; then
    echo "compare.sh: $* exited $status:" >&2; tail -n 5 "$work/step.err" "$out" >&2; exit 1
  fi
  samples[$key]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }') "
  cpu[$key]+="$(awk 'END { printf "%.3f", $1 + $2 }' "$work/time.out") "
  local kb; kb=$(awk 'END { print $3 }' "$work/time.out")
  [ "${rss[$key]:-0}" -ge "$kb" ] || rss[$key]=$kb
}
median_of() {  # values -> median or empty
  [ -z "$1" ] && return 0
  tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
median() { median_of "${samples[$1]:-}"; }
median_cpu() { median_of "${cpu[$1]:-}"; }
count() { local values=${samples[$1]:-}; wc -w <<<"$values" | tr -d ' '; }

# ext4 without a journal (as on the machine these figures come from) looks
# at recently deleted inodes when it makes a new file, so a tool started
# within seconds of removing the previous copy pays for that removal. Each
# tool removes its own old copy, then waits until the file system no longer
# counts the removal as recent (5 s once written back).
settle_deletions() {
  sync
  sleep "${VELQO_BENCH_SETTLE:-6}"
}

velqo_run() {  # key src dst (B: paths)
  timed "$1" "$velqo" /J "$2" "$3"
}
untimed_velqo() { "$velqo" /J "$1" "$2" </dev/null >"$work/step.out" 2>&1; }

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

# One tool's turn in a round: with a fresh copy (the first rounds) the full
# sequence, else a no-op after bringing the copy up to date untimed.
tool_turn() {  # scenario tool round
  local name=$1 tool=$2 r=$3 src=$work/$1/src dst=$work/$1/dst-$2
  local s="B:\\$name\\src" d="B:\\$name\\dst-velqo"
  log "== $name: $tool round $r"
  if [ "$r" -le "$first_runs" ]; then
    rm -rf "$dst"; mkdir -p "$dst"
    settle_deletions
    case $tool in
      velqo) velqo_mode add; velqo_run "$name first velqo" "$s" "$d" ;;
      rsync) timed "$name first rsync" rsync -a "$src/" "$dst/" ;;
      rsync_fsync) timed "$name first rsync_fsync" rsync -a --fsync "$src/" "$dst/" ;;
      cp) timed "$name first cp" cp -a "$src/." "$dst/" ;;
    esac
  else
    case $tool in
      velqo) velqo_mode add; untimed_velqo "$s" "$d" ;;
      rsync|rsync_fsync) rsync -a "$src/" "$dst/" ;;
      cp) return 0 ;;
    esac
  fi
  [ "$tool" = cp ] && { [ "$r" = "$first_runs" ] && verify "$name" cp "$src" "$dst"; return 0; }
  case $tool in
    velqo) velqo_run "$name noop velqo" "$s" "$d"
           if [ "$name" = large ]; then
             velqo_flag_filters on; velqo_run "$name noopflags velqo" "$s" "$d"; velqo_flag_filters off
           fi ;;
    rsync) timed "$name noop rsync" rsync -a "$src/" "$dst/" ;;
    rsync_fsync) timed "$name noop rsync_fsync" rsync -a --fsync "$src/" "$dst/" ;;
  esac
  [ "$r" -le "$first_runs" ] || return 0
  change_one_percent "$src"
  case $tool in
    velqo) velqo_run "$name change velqo" "$s" "$d" ;;
    rsync) timed "$name change rsync" rsync -a "$src/" "$dst/" ;;
    rsync_fsync) timed "$name change rsync_fsync" rsync -a --fsync "$src/" "$dst/" ;;
  esac
  stash_one_percent "$src" "$work/$name/stash"
  case $tool in
    velqo) velqo_mode mirror; velqo_run "$name mirror velqo" "$s" "$d"; velqo_mode add ;;
    rsync) timed "$name mirror rsync" rsync -a --delete "$src/" "$dst/" ;;
    rsync_fsync) timed "$name mirror rsync_fsync" rsync -a --delete --fsync "$src/" "$dst/" ;;
  esac
  [ "$r" = "$first_runs" ] && verify "$name" "$tool" "$src" "$dst"
  unstash "$src" "$work/$name/stash"
}

run_scenario() {  # name
  local name=$1 src=$work/$1/src
  log "== $name: generating"
  mkdir -p "$work/$name"
  case $name in
    small) generate_small_files "$src" 10000 200 ;;
    large) generate_small_files "$src" 100000 2000 ;;
    big) generate_big_files "$src" 20 64 ;;
  esac
  for r in $(seq 1 "$runs"); do
    for tool in velqo rsync rsync_fsync cp; do tool_turn "$name" "$tool" "$r"; done
    # The floor, in the same round: both trees of the plain copy.
    timed "$name noop find" find "$src" "$work/$name/dst-rsync" -printf '%s %T@\n'
  done
  [ "${VELQO_BENCH_KEEP:-0}" = 1 ] || rm -rf "$work/$name"
}

# velqo-cli alone on trees of growing size: a first copy, the no-op runs,
# a change and a mirror, with the largest peak memory of each step.
run_scale() {
  for files in $scale_sizes; do
    local name=scale$files dirs=$(( files / 100 ))
    local src=$work/$name/src s="B:\\$name\\src" d="B:\\$name\\dst-velqo"
    log "== $name: generating $files files in $dirs directories"
    mkdir -p "$work/$name/dst-velqo"
    "$make_tree" "$src" "$files" "$dirs" 1024
    velqo_mode add
    velqo_run "$name first velqo" "$s" "$d"
    for r in $(seq 1 "$runs"); do
      log "== $name: no-op round $r"
      velqo_run "$name noop velqo" "$s" "$d"
      timed "$name noop find" find "$src" "$work/$name/dst-velqo" -printf '%s %T@\n'
    done
    change_one_percent "$src"
    velqo_run "$name change velqo" "$s" "$d"
    stash_one_percent "$src" "$work/$name/stash"
    velqo_mode mirror; velqo_run "$name mirror velqo" "$s" "$d"; velqo_mode add
    verify "$name" velqo "$src" "$work/$name/dst-velqo"
    rm -rf "$work/$name"
  done
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for s in "${scenarios[@]}"; do
  if [ "$s" = scale ]; then run_scale; else run_scenario "$s"; fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
# Taken before the results file is rewritten, which would count as a change.
tree="$(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo '?')$(git -C "$top" diff --quiet HEAD 2>/dev/null || echo ' with local changes')"

# --- the tables -------------------------------------------------------------
ratio() { [ -n "$1" ] && [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b }'; return 0; }
cell() {  # key [cpu]
  local m; if [ "${2:-}" = cpu ]; then m=$(median_cpu "$1"); else m=$(median "$1"); fi
  [ -z "$m" ] && { printf '—'; return 0; }
  printf '%s s' "$m"; local c; c=$(count "$1"); [ "$c" -gt 1 ] && printf ' (%s)' "$c"; return 0
}
goal() {  # value reference factor text: met when value <= reference * factor
  if [ -z "$1" ] || [ -z "$2" ]; then echo "$4: not measured"; return 0; fi
  if ! awk -v b="$2" 'BEGIN { exit !(b > 0) }'; then echo "$4: not measurable (the reference took no measurable time)"; return 0; fi
  local r; r=$(ratio "$1" "$2")
  if awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { exit !(a <= b * f) }'; then echo "$4: met ($r)"; else echo "$4: MISSED ($r)"; fi
}
describe() { case $1 in
  small) echo "10,000 files (0-16 KiB) in 200 directories" ;;
  large) echo "100,000 files (0-16 KiB) in 2,000 directories" ;;
  big) echo "20 files of 64 MiB" ;;
esac; }

{
  echo "# velqo-cli compared with rsync and cp"
  echo
  echo "Measured by \`bench/compare.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'): $(nproc) cores,"
  echo "$(free -g | awk '/^Mem:/ { print $2 }') GiB memory, $(df -PT "$work" | awk 'NR == 2 { print $2 }') file system, load average $load_before before and $load_after after,"
  echo "$("$velqo" --version) (tree $tree), $(rsync --version | head -n 1 | sed 's/  */ /g'), $(cp --version | head -n 1)."
  echo "The tools take turns in every round; each figure is the median of the"
  echo "rounds (their number in brackets): $runs rounds of no-op scans, $first_runs of first"
  echo "copies, changes and mirrors. Warm page cache, everything written back (sync)"
  echo "before each timed step; wall-clock seconds, and processor time (user +"
  echo "system) where marked CPU."
  echo
  echo "- first: a fresh copy into an empty directory (velqo-cli: Add1To2, Dir 1 and all"
  echo "  subdirectories, /J, log on, no backups, every file whatever its flags)."
  echo "- noop: the same again with nothing to do; the find column is the floor for a"
  echo "  scan (find listing and stat-ing both trees, in one process)."
  echo "- noopflags: the no-op with velqo-cli's default hidden and system filters,"
  echo "  which read each file's stored flags."
  echo "- change: after 1% of the files (at least one) got new contents and times."
  echo "- mirror: after 1% of the source files (at least one) were deleted (velqo-cli"
  echo "  CleanUp, rsync --delete)."
  echo
  echo "rsync -a runs a sender and a receiver process, so on two cores its scan can"
  echo "beat the single-process find floor."
  echo
  echo "Durability: rsync --fsync flushes every copied file. velqo-cli gives each copy a"
  echo "provisional old time, flushes the target file system (syncfs) once for a batch"
  echo "of copies (at most 2,048 copies, 256 MiB, 200 directories or 2 s after the"
  echo "first) and then sets their real times, so after a crash no copy looks up to"
  echo "date unless its data is on disk."
  echo "Plain rsync -a and cp -a promise neither."
  echo
  for s in "${scenarios[@]}"; do
    [ "$s" = scale ] && continue
    echo "## $(describe "$s")"
    echo
    echo "| step | velqo-cli | velqo CPU | rsync -a | rsync CPU | rsync -a --fsync | cp -a | find floor | floor CPU | velqo / rsync | velqo / rsync --fsync | velqo / cp | velqo / floor | CPU / floor CPU |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    for step in first noop noopflags change mirror; do
      [ -z "$(median "$s $step velqo")" ] && continue
      v=$(median "$s $step velqo"); r=$(median "$s $step rsync"); f=$(median "$s $step rsync_fsync")
      c=$(median "$s $step cp"); fl=$(median "$s $step find")
      vc=$(median_cpu "$s $step velqo"); flc=$(median_cpu "$s $step find")
      echo "| $step | $(cell "$s $step velqo") | $(cell "$s $step velqo" cpu) | $(cell "$s $step rsync") | $(cell "$s $step rsync" cpu) | $(cell "$s $step rsync_fsync") | $(cell "$s $step cp") | $(cell "$s $step find") | $(cell "$s $step find" cpu) | $(ratio "$v" "$r") | $(ratio "$v" "$f") | $(ratio "$v" "$c") | $(ratio "$v" "$fl") | $(ratio "$vc" "$flc") |"
    done
    echo
    echo -n "Trees match (diff -r and file mtimes):"
    for tool in velqo rsync rsync_fsync cp; do echo -n " $tool ${verdict["$s $tool"]:-?};"; done
    echo
    echo
    v=$(median "$s noop velqo"); vc=$(median_cpu "$s noop velqo"); fl=$(median "$s noop find"); flc=$(median_cpu "$s noop find")
    echo "Goals (velqo-cli's ratio to the reference in brackets):"
    echo "- $(goal "$(median "$s first velqo")" "$(median "$s first rsync")" 1.2 "first copy at most 1.2 times rsync -a")"
    echo "- $(goal "$(median "$s first velqo")" "$(median "$s first rsync_fsync")" 0.5 "first copy at most 0.5 times rsync -a --fsync")"
    [ "$s" = big ] && echo "- $(goal "$(median "$s first velqo")" "$(median "$s first cp")" 1 "first copy at least as fast as cp -a")"
    echo "- $(goal "$v" "$(median "$s noop rsync")" 0.8 "no-op at most 0.8 times rsync -a")"
    echo "- $(goal "$v" "$fl" 1.1 "no-op at most 1.1 times the floor")"
    echo "- $(goal "$vc" "$flc" 1.5 "no-op processor time at most 1.5 times the floor's")"
    echo "- $(goal "$(median "$s change velqo")" "$(median "$s change rsync")" 1 "change at most 1.0 times rsync -a")"
    echo "- $(goal "$(median "$s mirror velqo")" "$(median "$s mirror rsync")" 0.8 "mirror at most 0.8 times rsync -a --delete")"
    echo
  done
  if [[ " ${scenarios[*]} " == *" scale "* ]]; then
    echo "## Scale: 100 files of 1 KiB in each directory (the top counted), velqo-cli alone"
    echo
    echo "| files | directories | first | noop | noop CPU | find floor | noop / floor | change | mirror | peak memory | noop / 100,000 files |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|"
    base=$(median "scale100000 noop velqo")
    peak=0
    for files in $scale_sizes; do
      n=scale$files
      m=0; for step in first noop change mirror; do k=${rss["$n $step velqo"]:-0}; [ "$k" -gt "$m" ] && m=$k; done
      [ "$m" -gt "$peak" ] && peak=$m
      echo "| $files | $(( files / 100 )) | $(cell "$n first velqo") | $(cell "$n noop velqo") | $(cell "$n noop velqo" cpu) | $(cell "$n noop find") | $(ratio "$(median "$n noop velqo")" "$(median "$n noop find")") | $(cell "$n change velqo") | $(cell "$n mirror velqo") | $(awk -v k="$m" 'BEGIN { printf "%.1f MiB", k / 1024 }') | $(ratio "$(median "$n noop velqo")" "$base") |"
    done
    echo
    echo -n "Trees match (diff -r and file mtimes):"
    for files in $scale_sizes; do echo -n " $files ${verdict["scale$files velqo"]:-?};"; done
    echo
    echo
    echo "Goals:"
    echo "- $(goal "$(median "scale1000000 noop velqo")" "$base" 10.5 "no-op of 1,000,000 files at most 10.5 times that of 100,000")"
    echo "- $(goal "$peak" 8192 1 "peak memory at most 8 MiB ($(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }') MiB)")"
    echo
  fi
  # Written by hand after a run: why a goal was missed, and other
  # measurements of the same build.
  if [ -f "$top/bench/RESULTS-notes.md" ]; then
    echo
    cat "$top/bench/RESULTS-notes.md"
  fi
} >"$results"
cat "$results"
