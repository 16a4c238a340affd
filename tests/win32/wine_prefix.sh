# Sourced by the scripts that run Windows programs under Wine: exports the
# Wine programs and settings; wine_prefix_create DIR makes a fresh 64-bit
# prefix there (stop its server with "$WINESERVER" -k when done).

# Debian's wine64 package keeps its program in the library folder.
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
WINESERVER=$(dirname "$WINE")/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINE WINESERVER
export WINEARCH=win64
# No Mono or Gecko (they cannot be downloaded here) and no debug chatter.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

wine_prefix_create() {
  export WINEPREFIX=$1
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  # Wine draws the window frame and title itself: there is no window manager.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
}
