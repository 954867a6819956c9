#!/usr/bin/env bash
# Times velqo-cli copying a fresh tree and then replacing every file of it,
# with backups and without, for one or more builds of the program side by
# side (for instance the build before a change and after it):
#
#   bench/backup_bench.sh NAME=path/to/velqo-cli [NAME=path/to/velqo-cli ...]
#
# 10,000 files (0-16 KiB) in 200 directories; every file of Dir 1 then gets
# new contents and a newer time, and the update replaces all of them.
# Median of VELQO_BENCH_RUNS (default 3) runs each, warm page cache, written
# back (sync) before each timed step: elapsed seconds, and in brackets the
# processor time (user + system), which other load on a shared machine
# disturbs less.
set -euo pipefail
work=${VELQO_BENCH_DIR:-/tmp/velqo-backup-bench}
runs=${VELQO_BENCH_RUNS:-3}
files=${VELQO_BENCH_FILES:-10000}
dirs=${VELQO_BENCH_DIRS:-200}
[ $# -gt 0 ] || { echo "usage: $0 NAME=velqo-cli ..." >&2; exit 2; }

generate() {  # dir files dirs mtime-offset tag
  perl -e '
    use strict; my ($root, $files, $dirs, $offset, $tag) = @ARGV;
    srand(42); my $pool = join "", map { chr(int(rand(256))) } 1 .. 65536;
    my $base = time - 30 * 86400 + $offset; my $per = int($files / $dirs);
    for my $d (0 .. $dirs - 1) {
      my $dir = sprintf "%s/d%03d", $root, $d;
      system("mkdir", "-p", $dir) == 0 or die;
      for my $f (0 .. $per - 1) {
        my $n = $d * $per + $f; my $path = sprintf "%s/f%06d.dat", $dir, $n;
        my $size = int(rand(16384));
        open(my $fh, ">", $path) or die; binmode $fh;
        print $fh $tag, substr($pool, int(rand(65536 - $size)), $size); close $fh;
        my $t = $base + 2 * $n; utime $t, $t, $path;
      }
    }' "$@"
}

# One timed update of B:\src onto B:\dst: "elapsed/processor" seconds.
timed() {  # velqo
  sync
  /usr/bin/time -o "$work/time.txt" -f '%e %U %S' "$1" /J 'B:\src' 'B:\dst' </dev/null >/dev/null 2>&1 ||
    { echo "velqo-cli failed" >&2; exit 1; }
  awk '{ printf "%.3f/%.3f", $1, $2 + $3 }' "$work/time.txt"
}

# Median of the elapsed and of the processor times: "E s (C s)".
median() {
  local e c
  e=$(printf '%s\n' "$@" | cut -d/ -f1 | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  c=$(printf '%s\n' "$@" | cut -d/ -f2 | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  printf '%s s (%s s)' "$e" "$c"
}

ini_set() {  # ini key value
  if grep -q "^$2=" "$1"; then sed -i "s|^$2=.*|$2=$3|" "$1"; else echo "$2=$3" >>"$1"; fi
}

printf '| build | first copy | replace all, no backups | replace all, backups |\n|---|---|---|---|\n'
for entry in "$@"; do
  name=${entry%%=*}
  bin=${entry#*=}
  prog=$work/$name/prog
  rm -rf "$work/$name"
  mkdir -p "$prog" "$work/$name/home" "$work/$name/config"
  cp "$bin" "$prog/velqo-cli"
  export HOME=$work/$name/home XDG_CONFIG_HOME=$work/$name/config VELQO_DRIVES="B=$work/$name"
  ini=$prog/WINVELQO.INI
  "$prog/velqo-cli" </dev/null >/dev/null 2>&1 || true
  for kv in SelectSeparate=0 UseDir1And=1 UseDir1=0 UseSubOnly=0 UseBatchFile=0 ConfirmEveryFile=0 \
            CreateNewDir=1 EnableLog=1 AppendToFile=0 AutoGenerateFile=0 VelqoOnly=0 Add1To2=1 CleanUp=0 \
            AddBothWays=0; do
    ini_set "$ini" "${kv%%=*}" "${kv#*=}"
  done
  first=() plain=() backed=()
  for ((r = 0; r < runs; r++)); do
    rm -rf "$work/$name/src" "$work/$name/dst"
    generate "$work/$name/src" "$files" "$dirs" 0 old
    mkdir -p "$work/$name/dst"
    ini_set "$ini" CreateBackup 0
    first+=("$(timed "$prog/velqo-cli")")
    for backup in 0 1; do
      rm -rf "$work/$name/dst"; cp -a "$work/$name/src" "$work/$name/dst"
      find "$work/$name/dst" -name '*.~da' -delete
      generate "$work/$name/src" "$files" "$dirs" 3600 new
      ini_set "$ini" CreateBackup "$backup"
      t=$(timed "$prog/velqo-cli")
      if [ "$backup" = 1 ]; then backed+=("$t"); else plain+=("$t"); fi
      generate "$work/$name/src" "$files" "$dirs" 0 old
    done
  done
  printf '| %s | %s | %s | %s |\n' "$name" "$(median "${first[@]}")" "$(median "${plain[@]}")" "$(median "${backed[@]}")"
done
