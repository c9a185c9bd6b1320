#!/usr/bin/env bash
# How the checker's time grows with the number of works: packs exhibitions of 30 and 1000 small
# textured works (a data file holds at most 236 lists, so only the first 200 works have an opera
# list; the others are textured panels) and times `check` on each.
#   bench/checkscale.sh [PINACORA-DATA] [N...]
set -euo pipefail
tool=${1:-$(dirname "$0")/../build/cli/pinacora-data}
shift || true
sizes=("${@:-30 1000}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import struct, sys, zlib
def png(path, rgb):
    raw = b''.join(b'\0' + bytes(rgb) * 8 for _ in range(8))
    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 8, 8, 8, 2, 0, 0, 0))
                           + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
png(sys.argv[1] + '/work.png', (180, 120, 60))
PY
for n in ${sizes[*]}; do
  dir=$work/$n
  mkdir -p "$dir"
  python3 - "$dir" "$n" <<'PY'
import json, sys
folder, n = sys.argv[1], int(sys.argv[2])
operas = min(n, 200)
room = "#Inventor V2.1 ascii\n\nSeparator { Coordinate3 { point [ -50 0 -50, 50 0 -50, 50 0 50, -50 0 50 ] } " \
       "IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] } }\n"
open(folder + '/room.iv', 'w').write(room)
parts = ["#Inventor V2.1 ascii\n\nSeparator {\n"]
for i in range(n):
    name = "KD_%d" % (1000 + i) if i < operas else "PANEL_%d" % i
    parts.append("  Separator {\n    Transform { translation %d 1.6 %d rotation 1 0 0 1.5707963 }\n"
                 "    DEF TEX_%d Texture2 { }\n"
                 "    Coordinate3 { point [ -0.5 0 0.5, 0.5 0 0.5, 0.5 0 -0.5, -0.5 0 -0.5 ] }\n"
                 "    TextureCoordinate2 { point [ 0 0, 1 0, 1 1, 0 1 ] }\n"
                 "    DEF %s IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }\n  }\n"
                 % (i % 40 * 2, i // 40 * 2, i, name))
parts.append("}\n")
open(folder + '/works.iv', 'w').write(''.join(parts))
lists = [{"kind": "scene", "id": 110, "name": "Sala", "shape": "room.iv"},
         {"kind": "scene", "id": 120, "name": "Opere", "shape": "works.iv",
          "textures": [{"node": "TEX_%d" % i, "file": "../work.png"} for i in range(n)]}]
lists += [{"kind": "opera", "id": 1000 + i, "name": "Opera %d" % i} for i in range(operas)]
json.dump({"lists": lists}, open(folder + '/manifest.json', 'w'))
PY
  "$tool" pack "$dir/manifest.json" -o "$dir/kddata.bin" --quiet --force >/dev/null 2>&1 || true
  start=$(date +%s.%N)
  "$tool" check "$dir/kddata.bin" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  printf 'check, %5d works: %.2f s\n' "$n" "$(echo "$end - $start" | bc)"
done
