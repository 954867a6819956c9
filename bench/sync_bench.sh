#!/usr/bin/env bash
# The cost of the remembering two-way sync beside a no-op -a run:
#   sync_bench.sh BUILD_DIR FILES DIRS [ROUNDS]
# makes a tree with make_tree, copies it with cp -a, syncs the pair once
# (the first sync records the state), then times ROUNDS no-op runs of each,
# taking turns, and prints the medians, the peak memory of a no-op sync and
# the size of the state database.
set -euo pipefail
build=$1 files=$2 dirs=$3 rounds=${4:-5}
cli=$build/cli/velqo-cli
work=$(mktemp -d /tmp/velqo-sync-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
"$build/bench/make_tree" "$work/a" "$files" "$dirs" >/dev/null
cp -a "$work/a" "$work/b"
"$cli" -q -j --sync "$work/a" "$work/b"
"$cli" -q -j -a "$work/a" "$work/b"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
timed() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1; }
: >"$work/sync.t"
: >"$work/archive.t"
for _ in $(seq "$rounds"); do
  sync
  timed "$cli" -q -j --sync "$work/a" "$work/b" >>"$work/sync.t"
  sync
  timed "$cli" -q -j -a "$work/a" "$work/b" >>"$work/archive.t"
done
sync_s=$(cut -d' ' -f1 "$work/sync.t" | median)
archive_s=$(cut -d' ' -f1 "$work/archive.t" | median)
sync_kib=$(cut -d' ' -f2 "$work/sync.t" | sort -n | tail -1)
db=$work/state/velqo/state.db
db_bytes=$(( $(stat -c %s "$db") + $(stat -c %s "$db-wal" 2>/dev/null || echo 0) ))
echo "files=$files dirs=$dirs rounds=$rounds"
echo "noop --sync: ${sync_s} s (peak RSS ${sync_kib} KiB)"
echo "noop -a:     ${archive_s} s"
echo "ratio:       $(awk -v s="$sync_s" -v a="$archive_s" 'BEGIN {printf "%.2f", s / a}')"
echo "state:       ${db_bytes} bytes ($(awk -v b="$db_bytes" -v n="$files" 'BEGIN {printf "%.0f", b / n}') per file)"
