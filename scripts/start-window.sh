#!/usr/bin/env bash
# Starts the window on an input folder: start-window.sh [FOLDER].
#
# A folder inside the repository (examples/santafe, say) is first copied into
# workspace/NAME, a work area outside version control, so that Update and the
# run's logs never touch tracked files; a later start on the same folder
# works in that copy again. A folder outside the repository is used as it is.
# Without FOLDER the window works in workspace/, made from the sample input/
# folder on first use.
#
# Without a display the batch program runs on the folder instead (on the
# box-moving example when no folder is given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ $# -gt 1 ]; then
  echo "Usage: ./run.sh [FOLDER]   (a folder holding input/files.txt, e.g. examples/santafe)" >&2
  exit 2
fi

# The folder to work in: FOLDER itself, or its copy in workspace/.
work_folder() {
  local given=$1 source name target
  if [ ! -d "$given" ]; then
    echo "$given is not a folder." >&2
    return 1
  fi
  if [ ! -f "$given/input/files.txt" ]; then
    echo "$given holds no input/files.txt; give a folder with input files, e.g. examples/santafe." >&2
    return 1
  fi
  source=$(cd "$given" && pwd -P)
  case "$source/" in
    "$root/workspace/"*) echo "$source"; return 0 ;;
    "$root/"*) ;;
    *) echo "$source"; return 0 ;;
  esac
  if [ "$source" = "$root" ]; then
    name=repository
  else
    name=$(basename "$source")
  fi
  target=$root/workspace/$name
  if [ -e "$target" ]; then
    # A copy made before is worked in again (it holds the user's Update
    # edits and logs), provided it was made from the same folder.
    if [ "$(cat "$target/.copied-from" 2>/dev/null)" != "$source" ]; then
      echo "workspace/$name exists but was not copied from ${source#"$root"/}; move it away first." >&2
      return 1
    fi
    echo "Working in workspace/$name (copied before; delete it for a fresh copy of ${source#"$root"/})." >&2
  else
    mkdir -p "$root/workspace"
    cp -R "$source" "$target.partial.$$"
    printf '%s\n' "$source" >"$target.partial.$$/.copied-from"
    mv "$target.partial.$$" "$target"
    echo "Copied ${source#"$root"/} to workspace/$name." >&2
  fi
  echo "$target"
}

if [ $# -eq 1 ]; then
  folder=$(work_folder "$1")
else
  folder=
  if [ ! -d workspace/input ]; then
    mkdir -p workspace
    cp -r input workspace/
  fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  if [ -n "$folder" ]; then
    exec "$root/build/morvane2" "$folder"
  fi
  cd workspace
  exec "$root/build/morvane2"
fi

if [ -z "$folder" ]; then
  echo "No display available: running the batch program on examples/boxmoving instead."
  mkdir -p workspace/batch-boxmoving
  rm -rf workspace/batch-boxmoving/input
  cp -r examples/boxmoving/input workspace/batch-boxmoving/
  folder=$root/workspace/batch-boxmoving
else
  echo "No display available: running the batch program on $folder instead."
fi
cd "$folder"
"$root/build/morvane2-batch"
echo "Logs are in $PWD (log.txt, save.txt, ...)."
echo "Best program (fitness : program):"
tail -n 1 log.txt
