#!/bin/sh
# Every Windows executable of the build imports only DLLs that Windows itself
# has, so it runs where it is copied: the C++ runtime and the threads are
# linked in statically.
# Usage: WindowsImportsTest.sh <build folder>
set -eu
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll iphlpapi.dll kernel32.dll ktmw32.dll msvcrt.dll ntdll.dll "
allowed="$allowed ole32.dll shell32.dll user32.dll ws2_32.dll "
found=0
status=0
# The wine prefixes of the test runs hold wine's own programs.
for exe in $(find "$1" -path "$1/wine-prefix" -prune -o -path '*/CMakeFiles' -prune -o -name '*.exe' -print); do
  found=$((found + 1))
  for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$allowed" in
    *" $dll "*) ;;
    *) echo "WindowsImportsTest: $exe imports $dll" >&2; status=1 ;;
    esac
  done
done
[ "$found" -gt 0 ] || { echo "WindowsImportsTest: no executable in $1" >&2; exit 1; }
exit "$status"
