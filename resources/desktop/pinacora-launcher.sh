#!/bin/sh
# Starts Pinacora in the folder that holds the exhibition, since the program opens kddata.bin there.
#   pinacora [--kiosk] [--idle-return SECONDS] [FOLDER | FILE]
# Without a folder or file: ~/.local/share/pinacora when it holds a kddata.bin, else the demo
# exhibition. The options go to the program (pinacora --help tells them).
set -e
prefix=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
program=$prefix/@PINACORA_PROGRAM_DIR@/pinacora
demo=$prefix/@PINACORA_DEMO_DIR@

# The program's options (single words, so they survive being kept in one variable).
options=
while [ $# -gt 0 ]; do
  case $1 in
    --idle-return)
      [ $# -ge 2 ] || { echo "pinacora: --idle-return needs a number of seconds" >&2; exit 2; }
      options="$options $1 $2"; shift 2 ;;
    --help) exec "$program" --help ;;
    -*) options="$options $1"; shift ;;
    *) break ;;
  esac
done

if [ $# -gt 0 ]; then
  target=$1
  if [ -f "$target" ]; then
    case "$(basename "$target")" in
      kddata.bin) folder=$(dirname "$target") ;;
      *) echo "pinacora: the exhibition file must be named kddata.bin: $target" >&2; exit 2 ;;
    esac
  elif [ -d "$target" ]; then
    folder=$target
  else
    echo "pinacora: no such file or folder: $target" >&2
    exit 2
  fi
  if [ ! -r "$folder/kddata.bin" ]; then
    echo "pinacora: no readable kddata.bin in $folder" >&2
    exit 2
  fi
else
  folder=${XDG_DATA_HOME:-$HOME/.local/share}/pinacora
  [ -r "$folder/kddata.bin" ] || folder=$demo
fi

cd "$folder"
# shellcheck disable=SC2086
exec "$program" $options
