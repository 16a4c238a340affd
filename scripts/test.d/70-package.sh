# The packages, built with CPack from release builds of just what they hold.
# The Debian package: its contents checked with dpkg-deb, its desktop entry
# validated, its man pages read, the packaged programs run from an unpacked
# copy; then Debian's own checks: lintian, and piuparts' install, removal and
# purge in a clean chroot (tests/package/piuparts.sh). The Windows zip (the
# 32-bit build of stage 50): its files, the programs inspected. The web zip
# (the browser build of stage 45): its files, and the unpacked site run in
# Chromium by the browser end-to-end test.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
started=$SECONDS
build=${PACKAGE_BUILD_DIR:-build/package}
windows_build=${PACKAGE_WINDOWS_BUILD_DIR:-build/mingw-i686}
web_build=${PACKAGE_WEB_BUILD_DIR:-build/web}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DFERRANT_BUILD_TESTS=OFF -DFERRANT_BUILD_BENCH=OFF -DFERRANT_BUILD_HEADLESS=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$JOBS" --target ferrant_package_contents
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB) >/dev/null
debs=("$build"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || {
  echo "expected one .deb in $build, found: ${debs[*]}" >&2
  exit 1
}
deb=${debs[0]}
echo "package: $deb"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- control fields ----------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ferrant-calc ] || fail "package name is '$(field Package)'"
version=$(field Version)
upstream=${version%-*}
project_version=$(sed -n 's/^project(ferrant VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$upstream" = "$project_version" ] || fail "package version $version is not the project's $project_version"
depends=$(field Depends)
for library in libc6 libfltk1.3 libstdc++6 libx11-6 fonts-liberation; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# --- contents ----------------------------------------------------------------
dpkg-deb -c "$deb" >"$work/contents"
entry() { grep -E "^$1 .* \./$2\$" "$work/contents" >/dev/null || fail "no $2 ($1)"; }
entry '-rwxr-xr-x root/root' usr/bin/ferrant-calc
entry '-rwxr-xr-x root/root' usr/bin/ferrant-reach
entry '-rw-r--r-- root/root' usr/share/ferrant-calc/Varnek.bmp
entry '-rw-r--r-- root/root' usr/share/applications/ferrant-calc.desktop
entry '-rw-r--r-- root/root' usr/share/icons/hicolor/32x32/apps/ferrant-calc.png
entry '-rw-r--r-- root/root' usr/share/man/man1/ferrant-calc.1.gz
entry '-rw-r--r-- root/root' usr/share/man/man1/ferrant-reach.1.gz
entry '-rw-r--r-- root/root' usr/share/doc/ferrant-calc/README.md
entry '-rw-r--r-- root/root' usr/share/doc/ferrant-calc/changelog.Debian.gz
entry '-rw-r--r-- root/root' usr/share/doc/ferrant-calc/copyright
entry '-rw-r--r-- root/root' usr/share/lintian/overrides/ferrant-calc
others=$(grep -v '^d' "$work/contents" | grep -vE ' \./usr/(bin/ferrant-(calc|reach)|share/(ferrant-calc/Varnek\.bmp|applications/ferrant-calc\.desktop|icons/hicolor/32x32/apps/ferrant-calc\.png|man/man1/ferrant-(calc|reach)\.1\.gz|doc/ferrant-calc/(README\.md|changelog\.Debian\.gz|copyright)|lintian/overrides/ferrant-calc))$' || true)
[ -z "$others" ] || fail "unexpected files in the package: $others"

unpacked=$work/root
dpkg-deb -x "$deb" "$unpacked"
usr=$unpacked/usr
cmp -s "$usr/share/ferrant-calc/Varnek.bmp" assets/Varnek.bmp || fail "the packaged logo is not assets/Varnek.bmp"
cmp -s "$usr/share/doc/ferrant-calc/copyright" LICENSE || fail "the packaged licence is not LICENSE"
grep -q "^MIT License" LICENSE || fail "LICENSE is not the MIT licence"
changelog_version=$(dpkg-parsechangelog -l "$usr/share/doc/ferrant-calc/changelog.Debian.gz" -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's version $changelog_version is not the package's $version"

# --- desktop entry and icon --------------------------------------------------
desktop=$usr/share/applications/ferrant-calc.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
for line in 'Type=Application' 'Name=Ferrant Transmission Calculation' 'Exec=ferrant-calc' \
  'Path=/usr/share/ferrant-calc' 'Icon=ferrant-calc' 'Terminal=false'; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
# A PNG whose header says 32 x 32.
icon=$usr/share/icons/hicolor/32x32/apps/ferrant-calc.png
[ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is not a PNG"
[ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')" = "0 0 0 32 0 0 0 32" ] ||
  fail "the icon is not 32 x 32"

# --- man pages ---------------------------------------------------------------
declare -A man_sections=(
  [ferrant-reach]='NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|EXAMPLES|SEE ALSO'
  [ferrant-calc]='NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|FILES|SEE ALSO'
)
for program in ferrant-reach ferrant-calc; do
  page=$usr/share/man/man1/$program.1.gz
  man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$man_warnings" ] || fail "the man page of $program has warnings: $man_warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null >"$work/man.txt"
  grep -q "$program $project_version" "$work/man.txt" || fail "the man page of $program does not name version $project_version"
  IFS='|' read -ra sections <<<"${man_sections[$program]}"
  for section in "${sections[@]}"; do
    grep -qx "$section" "$work/man.txt" || fail "the man page of $program has no $section section"
  done
done

# --- the packaged programs ---------------------------------------------------
reach=$usr/bin/ferrant-reach
[ "$("$reach" --version)" = "ferrant-reach $project_version" ] || fail "ferrant-reach --version: $("$reach" --version)"
"$reach" distance --baserate 10 --format csv >"$work/distance.csv" || fail "ferrant-reach distance failed"
grep -qx "0.4,10,640,6555,21505,6009,19713,898" "$work/distance.csv" || fail "distance of baserate 10: $(cat "$work/distance.csv")"
[ "$("$reach" baserate --distance 5000 --model pellion --format json)" = \
  '{"distance_m":5000,"diameter":0.4,"model":"Pellion","baserate":17,"line_rate_kbps":1088,"loop_ohm":685}' ] ||
  fail "baserate for 5000 m with Pellion"
printf 'link,distance_m,diameter\nA,5000,0.4\nB,5000,0.45\n' >"$work/links.csv"
status=0
"$reach" batch "$work/links.csv" >"$work/batch.csv" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "batch with a bad row: exit code $status, expected 1"
[ "$(sed -n 2p "$work/batch.csv")" = "A,5000,0.4,29,1856,685," ] || fail "batch row A: $(sed -n 2p "$work/batch.csv")"
status=0
"$reach" distance --baserate 239 >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "baserate 239: exit code $status, expected 2"

calc=$usr/bin/ferrant-calc
missing=$(ldd "$calc" | grep "not found" || true)
[ -z "$missing" ] || fail "ferrant-calc lacks libraries: $missing"
grep -aqF "Version $project_version" "$calc" || fail "ferrant-calc's menu does not say Version $project_version"
[ "$("$calc" --version)" = "ferrant-calc $project_version" ] || fail "ferrant-calc --version: $("$calc" --version)"
# Started as the desktop entry starts it (from the logo's folder), and from a
# terminal in a folder without the logo: the window shows the logo read from
# the installed data folder. Without a window manager the client area's
# origin is 10,20 on the screen, and the logo stands at 438,530 in it.
if command -v Xvfb >/dev/null; then
  tests/fltk/with_xvfb.sh bash -c '
    usr=$1 elsewhere=$2
    for folder in "$usr/share/ferrant-calc" "$elsewhere"; do
      cd "$folder"
      "$usr/bin/ferrant-calc" &
      pid=$!
      found=0
      if timeout 10 xdotool search --sync --name "^Ferrant Transmission Calculation\$" >/dev/null; then
        sleep 1
        size=$(identify -format "%wx%h" "$usr/share/ferrant-calc/Varnek.bmp")
        import -window root -crop "$size+448+550" +repage "PNG24:$elsewhere/logo.png"
        differing=$(compare -metric AE "$elsewhere/logo.png" "$usr/share/ferrant-calc/Varnek.bmp" null: 2>&1 || true)
        [ "$differing" = 0 ] && found=1 || echo "started in $folder: $differing pixels of the logo differ" >&2
      fi
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      [ "$found" -eq 1 ] || exit 1
    done' start "$usr" "$work" || fail "the packaged ferrant-calc showed no window or no logo"
fi

# --- Debian's checks ---------------------------------------------------------
# Hardened programs: lintian checks relocations read-only and bound at start,
# and fortified calls; the stack protector it does not check.
for program in ferrant-calc ferrant-reach; do
  nm -D "$usr/bin/$program" | grep -q " U __stack_chk_fail" || fail "$program has no stack protector"
done
# lintian, pedantic: any tag fails, except those the package overrides, each
# with its reason.
lintian_status=0
lintian --fail-on error,warning,info,pedantic -EvIL +pedantic "$deb" >"$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v "running with root privileges" "$work/lintian.txt" || true
if [ "$lintian_status" -eq 0 ]; then
  echo "lintian: no tags ($(grep -c '^ferrant-calc: ' packaging/lintian-overrides) overridden)"
else
  fail "lintian (exit $lintian_status)"
fi
# Installed, used, removed and purged in a clean Debian system.
tests/package/piuparts.sh "$deb" || fail "piuparts"

# unpack_zip ZIP FOLDER FILE...: the zip holds the one folder with exactly
# these files; unpacks it into $work and sets `unpacked` to its path. Fails
# when there is no zip.
unpack_zip() {
  local zip=$1 folder=$2 expected listed file
  shift 2
  [ -f "$zip" ] || { fail "no $zip"; return 1; }
  echo "package: $zip"
  expected=$(for file in "$@"; do echo "$folder/$file"; done | sort)
  listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
  [ "$listed" = "$expected" ] || fail "${zip##*/} holds: $(echo $listed)"
  unzip -q -o "$zip" -d "$work"
  unpacked=$work/$folder
}

# --- the Windows zip ---------------------------------------------------------
cmake --preset mingw-i686 -B "$windows_build" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$windows_build" -j"$JOBS" --target ferrant_package_contents
rm -f "$windows_build"/*.zip
(cd "$windows_build" && cpack -G ZIP) >/dev/null
if unpack_zip "$windows_build/ferrant-calc-$project_version-win32.zip" "ferrant-calc-$project_version-win32" \
  LICENSE.txt README.md Varnek.bmp ferrant-calc.exe ferrant-reach.exe; then
  files=$unpacked
  cmp -s "$files/Varnek.bmp" assets/Varnek.bmp || fail "the zipped logo is not assets/Varnek.bmp"
  cmp -s "$files/README.md" README.md || fail "the zipped README is not README.md"
  cmp -s "$files/LICENSE.txt" LICENSE || fail "the zipped licence is not LICENSE"
  tests/win32/check_pe.sh "$files/ferrant-calc.exe" || fail "ferrant-calc.exe"
  grep -aqF "Version $project_version" "$files/ferrant-calc.exe" ||
    fail "ferrant-calc.exe's menu does not say Version $project_version"
  reach_headers=$(i686-w64-mingw32-objdump -p "$files/ferrant-reach.exe")
  grep -q "file format pei-i386" <<<"$reach_headers" || fail "ferrant-reach.exe is not a 32-bit x86 program"
  reach_imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$reach_headers" | grep -viE '^(KERNEL32|ADVAPI32|msvcrt|api-ms-win-.*)\.dll$' || true)
  [ -z "$reach_imports" ] || fail "ferrant-reach.exe needs DLLs beside it: $reach_imports"
fi

# --- the web zip ---------------------------------------------------------------
cmake --preset web -B "$web_build" >/dev/null
cmake --build "$web_build" -j"$JOBS" --target ferrant_web_zip
if unpack_zip "$web_build/ferrant-calc-$project_version-web.zip" "ferrant-calc-$project_version-web" \
  Varnek.bmp ferrant-calc.js ferrant-calc.wasm index.html service-worker.js ferrant-calc.webmanifest \
  ferrant-icon-192.png ferrant-icon-512.png; then
  site=$unpacked
  cmp -s "$site/Varnek.bmp" assets/Varnek.bmp || fail "the zipped logo is not assets/Varnek.bmp"
  [ "$(od -An -tx1 -N4 "$site/ferrant-calc.wasm" | tr -d ' \n')" = 0061736d ] || fail "ferrant-calc.wasm is not WebAssembly"
  grep -aqF "Version $project_version" "$site/ferrant-calc.wasm" || fail "the page's menu does not say Version $project_version"
  FERRANT_WEB_NODE=${FERRANT_WEB_NODE:-$ROOT/build/web-node} \
    node tests/web/e2e.mjs "$site" build/default/tools/ferrant-replay "$work/web-e2e" >"$work/web-e2e.txt" 2>&1 ||
    { cat "$work/web-e2e.txt"; fail "the unpacked site failed the browser end-to-end test"; }
fi

if [ "$failures" -ne 0 ]; then
  echo "package: $failures checks failed" >&2
  exit 1
fi
echo "package: all checks passed ($((SECONDS - started)) s)"
