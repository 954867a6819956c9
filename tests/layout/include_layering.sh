#!/usr/bin/env bash
# Fails when a file includes a layer it may not use. Linking enforces most of
# the layering; a stray include of a header-only part would slip past it.
set -euo pipefail
cd "$1"
status=0

# forbid FOLDER PATTERN [ALLOWED FILE]...
forbid() {
  local folder=$1 pattern=$2
  shift 2
  local hits
  hits=$(git grep -nE "#include \"($pattern)" -- "$folder" 2>/dev/null || true)
  for allowed in "$@"; do
    hits=$(printf '%s\n' "$hits" | grep -v "^$allowed:" || true)
  done
  if [ -n "$hits" ]; then
    printf 'include not allowed in %s:\n%s\n' "$folder" "$hits"
    status=1
  fi
}

# The POSIX implementation is reached only where a program assembles its
# platform: the console program's run and its signal handler, and the
# windowed program's application object.
forbid engine 'common/posix/'
forbid actions 'common/posix/'
forbid config 'common/posix/'
forbid ui/logic 'common/posix/'
forbid ui 'common/posix/' ui/velqo_app.h
forbid cli 'common/posix/' cli/cli_run.h cli/signals.cpp

# Within common/, each room uses only the rooms below it.
forbid common/text 'common/(time|platform|host|profile|preview|posix)/|config/|actions/|engine/'
forbid common/time 'common/(text|platform|host|profile|preview|posix)/|config/|actions/|engine/'
forbid common/platform 'common/(host|profile|preview|posix)/|config/|actions/|engine/'
forbid common/host 'common/(profile|preview|posix)/|config/|actions/|engine/'
forbid common/profile 'common/(host|preview|posix)/|config/|actions/|engine/'
forbid common/preview 'common/(profile|posix)/|config/|actions/|engine/'
forbid common/posix 'common/(profile|preview)/|config/|actions/|engine/'

# The core layers never include a layer above them, nor Qt.
forbid config 'actions/|engine/|ui/|cli/|Q'
forbid actions 'engine/|ui/|cli/|Q'
forbid engine 'ui/|cli/|Q'
# The sync stands on the file actions and the state, below the engine.
forbid sync 'common/posix/|engine/|ui/|cli/|Q'
# The state database stands on the text room alone.
forbid state 'common/(time|platform|host|profile|preview|posix)/|config/|actions/|engine/|ui/|cli/|Q'
exit $status
