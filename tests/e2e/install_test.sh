#!/usr/bin/env bash
# Installs the build into a scratch root and checks what a Linux desktop expects to find there,
# and that the launcher refuses what it cannot start.
#   install_test.sh BUILD_DIR
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
for f in usr/bin/pinacora usr/bin/pinacora-data usr/libexec/pinacora/pinacora usr/libexec/pinacora/pinacora-movie \
         usr/share/applications/pinacora.desktop usr/share/icons/hicolor/256x256/apps/pinacora.png \
         usr/share/metainfo/org.pinacora.Pinacora.metainfo.xml usr/share/pinacora/demo/kddata.bin \
         usr/bin/pinacora-kiosk usr/share/xsessions/pinacora-kiosk.desktop usr/share/man/man1/pinacora.1.gz \
         usr/share/man/man1/pinacora-data.1.gz usr/share/man/man1/pinacora-kiosk.1.gz \
         usr/share/doc/pinacora/copyright; do
  [ -e "$root/$f" ] || fail "missing $f"
done
[ -x "$root/usr/bin/pinacora" ] || fail "the launcher is not executable"
grep -q '^Exec=pinacora$' "$root/usr/share/applications/pinacora.desktop" || fail "desktop entry does not start the launcher"
grep -q '^Exec=pinacora-kiosk$' "$root/usr/share/xsessions/pinacora-kiosk.desktop" || fail "kiosk session does not start pinacora-kiosk"
[ -x "$root/usr/bin/pinacora-kiosk" ] || fail "pinacora-kiosk is not executable"
"$root/usr/bin/pinacora-data" check "$root/usr/share/pinacora/demo/kddata.bin" >/dev/null || fail "installed demo does not pass check"
# The website's page is installed with the tool, and the installed tool finds it there.
if [ -d "$build/cli/pinacora-web" ]; then
  "$root/usr/bin/pinacora-data" web "$root/usr/share/pinacora/demo/kddata.bin" -o "$root/site" --quiet \
    || fail "the installed tool wrote no website"
  [ -f "$root/site/lib/three/build/three.module.min.js" ] || fail "the website lacks three.js"
fi

set +e
"$root/usr/bin/pinacora" /no/such/place 2>/dev/null; [ $? -eq 2 ] || fail "launcher accepted a missing folder"
"$root/usr/bin/pinacora" "$root/usr/share/applications/pinacora.desktop" 2>/dev/null
[ $? -eq 2 ] || fail "launcher accepted a file not named kddata.bin"
empty=$(mktemp -d); "$root/usr/bin/pinacora" "$empty" 2>/dev/null; status=$?; rmdir "$empty"
[ $status -eq 2 ] || fail "launcher accepted a folder without kddata.bin"
echo "PASS: install layout and launcher"
