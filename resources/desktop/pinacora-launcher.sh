#!/bin/sh
# Starts Pinacora in the folder that holds the exhibition, since the program opens kddata.bin there.
#   pinacora [FOLDER | FILE]
# Without an argument: ~/.local/share/pinacora when it holds a kddata.bin, else the demo exhibition.
set -e
prefix=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
program=$prefix/@PINACORA_PROGRAM_DIR@/pinacora
demo=$prefix/@PINACORA_DEMO_DIR@

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
exec "$program"
