#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch folder and checks it the way
# Debian does: lintian must report no error and no warning.
#   package_test.sh BUILD_DIR
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v lintian >/dev/null || fail "lintian is not installed"

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }
deb=$(ls "$out"/pinacora_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no package was written"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in ./usr/share/doc/pinacora/copyright ./usr/share/doc/pinacora/changelog.gz \
         ./usr/share/man/man1/pinacora.1.gz ./usr/share/man/man1/pinacora-data.1.gz \
         ./usr/share/man/man1/pinacora-kiosk.1.gz ./usr/bin/pinacora-kiosk \
         ./usr/share/xsessions/pinacora-kiosk.desktop; do
  grep -qx "$f" <<<"$contents" || fail "the package lacks $f"
done

report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then fail "lintian reports errors or warnings"; fi
echo "PASS: $(basename "$deb"), lintian clean"
