#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run, test, benchmark and package Pinacora.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake pkg-config git
  # GUI, scene graph, examiner viewer
  qtbase5-dev qttools5-dev-tools libqt5opengl5-dev libcoin-dev libsoqt520-dev libxcb1-dev
  # data, sound, movies
  zlib1g-dev libopenal-dev libopenal1
  qtmultimedia5-dev libqt5multimedia5-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  libsndfile1-dev libsamplerate0-dev
  # tests: GoogleTest, a headless X server with software GL, screenshots and clicks
  libgtest-dev xvfb xauth libgl1-mesa-dri x11-utils imagemagick xdotool
  # the end-to-end tests ask the window manager to close a window
  wmctrl
  # demo movies and sounds are made at build time; the about box's credits are drawn then too
  ffmpeg fonts-dejavu-core
  # names of works in every script: Greek, Cyrillic, Arabic and more (Noto), Japanese (IPA Gothic)
  fonts-noto-core fonts-ipafont-gothic
  # sanitizer and fuzzer builds, memory checks
  clang libclang-rt-14-dev valgrind
  # the curator's tool: 3D models, notes from documents, pictures in every format
  libassimp-dev libmeshoptimizer-dev pandoc qt5-image-formats-plugins
  # kiosk window managers the program is tested under, screen blanking control
  openbox matchbox-window-manager x11-xserver-utils
  # real material for the tests: models, photographs, sounds; EXIF for camera-style pictures
  assimp-testmodels inventor-data gnome-backgrounds sound-theme-freedesktop libimage-exiftool-perl
  # packaging
  dpkg-dev file lintian
  # the exhibition website: its tests drive Debian's Chromium
  chromium
)
# The website's page code and its tests come from npm (web/package.json); Debian's node and npm
# bring them in. A machine whose node already carries npm (such as a NodeSource build) keeps it.
if ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
else
  echo "install-deps: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# three.js (copied into every website), the glTF validator and puppeteer-core, at the versions
# web/package-lock.json pins; npm ci runs only when they are missing or the lock file changed.
web="$(cd "$(dirname "$0")/.." && pwd)/web"
if [ ! -f "$web/node_modules/.package-lock.json" ] || [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
  echo "install-deps: npm ci in web/"
  (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
else
  echo "install-deps: web/node_modules up to date"
fi
