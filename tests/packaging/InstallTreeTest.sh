#!/bin/sh
# What `cmake --install` puts in place: the executable, a desktop entry that
# desktop-file-validate accepts, the icon at each hicolor size, a manual page
# that renders without a warning, and a unit that systemd-analyze verifies
# (when systemd is present).
# Usage: InstallTreeTest.sh <build folder>
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "InstallTreeTest: $*" >&2; exit 1; }

[ -x "$prefix/bin/vantrel" ] || fail "no executable"
desktop-file-validate "$prefix/share/applications/vantrel.desktop" || fail "desktop entry invalid"
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/vantrel.png
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "icon $icon is not a $size-pixel PNG"
done

page=$prefix/share/man/man1/vantrel.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$root/page.txt")
[ -z "$warnings" ] || fail "man page warnings: $warnings"
for section in SYNOPSIS DESCRIPTION SETTINGS SIGNALS "EXIT STATUS" RECORD EXAMPLES; do
  grep -q "^$section" "$root/page.txt" || fail "man page lacks $section"
done

unit=$prefix/lib/systemd/system/vantrel.service
grep -qx "ExecStart=$prefix/bin/vantrel" "$unit" || fail "unit does not start the installed executable"
if command -v systemd-analyze >/dev/null; then
  # It runs `man vantrel(1)` for the unit's documentation.
  findings=$(MANPATH=$prefix/share/man systemd-analyze verify "$unit" 2>&1) || fail "unit: $findings"
  [ -z "$findings" ] || fail "unit: $findings"
else
  echo "InstallTreeTest: no systemd-analyze, the unit is not verified"
fi
