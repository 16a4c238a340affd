#!/usr/bin/env bash
# check_pe.sh EXE [LIBRARY...]: the 32-bit release build of ferrant-calc.exe,
# not run: a hardened 32-bit x86 GUI PE importing system DLLs only, with icon
# 1 of 32 x 32, a manifest (common controls 6, per-monitor DPI awareness,
# asInvoker) and the project's version. The given static libraries do no x87
# arithmetic, whose extended precision would change results (loads, stores
# and conversions are exact).
set -euo pipefail
exe=$1
shift
objdump=i686-w64-mingw32-objdump
windres=i686-w64-mingw32-windres
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^project([[:alnum:]_]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in $root/CMakeLists.txt" >&2; exit 1; }
# The four numbers of the fixed version information, missing numbers 0.
IFS=. read -r major minor patch tweak <<<"$version"
numbers="${major}, ${minor:-0}, ${patch:-0}, ${tweak:-0}"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe")
grep -q "file format pei-i386" <<<"$headers" || fail "not a 32-bit x86 PE"
grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$headers" || fail "not for the Windows GUI subsystem"
# Loaded at a random address, data not executable, the stack protector's run
# time (libssp, whose message is its mark) linked in.
for flag in DYNAMIC_BASE NX_COMPAT; do
  grep -Eq "^[[:space:]]+$flag\$" <<<"$headers" || fail "no $flag"
done
grep -aqF "stack smashing detected" "$exe" || fail "no stack protector"

# Everything else would have to be shipped beside the program. (ADVAPI32
# gives the stack protector its random guard value.)
system_dlls="KERNEL32.dll USER32.dll GDI32.dll COMCTL32.dll SHELL32.dll ADVAPI32.dll msvcrt.dll"
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
for dll in $imports; do
  grep -qiw -- "$dll" <<<"$system_dlls" || fail "imports $dll"
done
echo "imports: $(echo $imports)"

resources=$("$windres" -i "$exe" -O rc)
grep -q "^1 14 /\* RT_GROUP_ICON \*/" <<<"$resources" || fail "no icon 1"
grep -q '"\\040\\040\\000\\000", 1, 32,' <<<"$resources" || fail "icon 1 is not 32 x 32 with 32-bit colour"
grep -q "^1 24 /\* RT_MANIFEST \*/" <<<"$resources" || fail "no manifest"
grep -q 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' <<<"$resources" ||
  fail "the manifest does not ask for common controls 6"
grep -q 'requestedExecutionLevel level=""asInvoker""' <<<"$resources" || fail "the manifest does not ask for asInvoker"
grep -q '>PerMonitorV2, PerMonitor</dpiAwareness>' <<<"$resources" && grep -q '>true/pm</dpiAware>' <<<"$resources" ||
  fail "the manifest does not declare per-monitor DPI awareness"
grep -q "FILEVERSION $numbers\$" <<<"$resources" || fail "no file version $numbers"
grep -q "PRODUCTVERSION $numbers\$" <<<"$resources" || fail "no product version $numbers"
grep -qF "VALUE \"FileVersion\", \"$version\"" <<<"$resources" || fail "no version text $version"
grep -qF "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || fail "no product version text $version"

for library in "$@"; do
  x87=$("$objdump" -d "$library" |
    grep -cE '[[:space:]]f(i?add|i?sub|i?subr|i?mul|i?div|i?divr|sqrt|sin|cos|sincos|ptan|patan|yl2x|yl2xp1|2xm1|scale|prem1?)[lsp]?([[:space:]]|$)' || true)
  [ "$x87" -eq 0 ] || fail "$library: $x87 x87 arithmetic instructions"
done

[ "$failures" -eq 0 ] || { echo "$exe: $failures checks failed" >&2; exit 1; }
echo "$exe: 32-bit GUI program, system DLLs only, icon, manifest and version $version present"
