#!/usr/bin/env bash
# The frame time of another viewer on the same scene, for comparison with bench_flight's: the
# exhibition is written as the website's glTF (pinacora-data web), and view3dscene (Debian package
# view3dscene) draws it from where the flight to a work ends, at 1280 x 1024 on the same display.
# It has no frame timer of its own, so it is timed drawing 1 and 1 + N frames (each saved as a
# small BMP); the difference over N is its time a frame. The same with nothing in the scene gives
# what the saving itself costs.
#
#   bench/view3dscene_frames.sh DATAFILE WORK_ID [TOOL] [RUNS]
#
# Needs a display (DISPLAY, or run it under xvfb-run).
set -euo pipefail
data=${1:?usage: view3dscene_frames.sh DATAFILE WORK_ID [TOOL] [RUNS]}
work=${2:?usage: view3dscene_frames.sh DATAFILE WORK_ID [TOOL] [RUNS]}
tool=${3:-$(dirname "$0")/../build/cli/pinacora-data}
runs=${4:-5}
frames=80
command -v view3dscene > /dev/null || { echo "view3dscene is not installed (apt-get install view3dscene)" >&2; exit 2; }

site=$(mktemp -d)
trap 'rm -rf "$site"' EXIT
"$tool" web "$data" -o "$site/site" --quiet
python3 - "$site/site" "$work" <<'EOF'
import json, math, sys
site, work = sys.argv[1], int(sys.argv[2])
tour = json.load(open(site + "/tour.json"))
flight = next(o["flight"] for o in tour["operas"] if o["id"] == work)
eye, centre = flight["eye"], flight["center"]
d = [centre[i] - eye[i] for i in range(3)]
length = math.sqrt(sum(x * x for x in d))
d = [x / length for x in d]
# The camera looks down -Z: turn it about Y to the work, then tilt it about its own X.
def turn(axis, angle):
    s = math.sin(angle / 2)
    return (math.cos(angle / 2), axis[0] * s, axis[1] * s, axis[2] * s)
def times(a, b):
    w1, x1, y1, z1 = a
    w2, x2, y2, z2 = b
    return (w1 * w2 - x1 * x2 - y1 * y2 - z1 * z2, w1 * x2 + x1 * w2 + y1 * z2 - z1 * y2,
            w1 * y2 - x1 * z2 + y1 * w2 + z1 * x2, w1 * z2 + x1 * y2 - y1 * x2 + z1 * w2)
q = times(turn((0, 1, 0), math.atan2(-d[0], -d[2])), turn((1, 0, 0), math.asin(d[1])))
angle = 2 * math.acos(max(-1.0, min(1.0, q[0])))
s = math.sqrt(max(1e-12, 1 - q[0] ** 2))
view = "Viewpoint { position %f %f %f orientation %f %f %f %f }\n" % (*eye, q[1] / s, q[2] / s, q[3] / s, angle)
head = "#X3D V3.2 utf8\nPROFILE Interchange\n"
open(site + "/view.x3dv", "w").write(head + view + 'Inline { url "scene.glb" }\n')
open(site + "/empty.x3dv", "w").write(head + view)
EOF

# Milliseconds of one view3dscene run drawing count frames of scene.
run_ms() {
  local scene=$1 count=$2 start end
  rm -rf "$site/shots" && mkdir "$site/shots"
  start=$(date +%s%N)
  view3dscene "$site/site/$scene" --geometry 1280x1024 \
    --screenshot-range 0 0.02 "$count" "$site/shots/shot@counter(4).bmp" > /dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

per_frame() {
  local scene=$1 one many
  one=$(for _ in $(seq "$runs"); do run_ms "$scene" 1; done | median)
  many=$(for _ in $(seq "$runs"); do run_ms "$scene" $((frames + 1)); done | median)
  awk -v a="$one" -v b="$many" -v n="$frames" 'BEGIN { printf "%.2f", (b - a) / n }'
}
scene_ms=$(per_frame view.x3dv)
empty_ms=$(per_frame empty.x3dv)
echo "view3dscene, work $work from the end of its flight, 1280 x 1024, medians of $runs runs:"
echo "  a frame with the scene: $scene_ms ms; with nothing (the saving alone): $empty_ms ms"
echo "VIEW3DSCENE $work FRAME_MS $scene_ms EMPTY_MS $empty_ms DRAW_MS $(awk -v a="$scene_ms" -v b="$empty_ms" 'BEGIN { printf "%.2f", a - b }')"
