#!/usr/bin/env bash
# piuparts.sh DEB: Debian's install test. piuparts installs the package into
# a clean chroot of this machine's Debian release (from the archive apt-get
# uses), starts both programs and reads both manual pages there
# (piuparts/post_install_ferrant), removes and purges it, and fails if
# anything is left behind or changed. The base system (with man-db:
# piuparts/post_setup_man-db) is cached in build/piuparts/ for a week; the
# log goes to build/piuparts/ferrant-calc.log.
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
cache=$(cd "$here/../.." && pwd)/build/piuparts
mkdir -p "$cache"

codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(apt-cache policy | awk -v suite="$codename/main" '$3 == suite && $2 ~ /^https?:/ { print $2; exit }')
[ -n "$mirror" ] || {
  echo "piuparts: apt-get knows no archive for $codename/main" >&2
  exit 1
}

base=$cache/$codename.tar.gz
find "$cache" -maxdepth 1 -name "$codename.tar.gz" -mtime +6 -delete
if [ -f "$base" ]; then
  base_option=(--basetgz "$base")
else
  echo "piuparts: making the $codename base system from $mirror (cached in $base)"
  base_option=(--save "$base")
fi

log=$cache/ferrant-calc.log
rm -f "$log" # piuparts appends
status=0
piuparts --distribution "$codename" --mirror "$mirror" "${base_option[@]}" \
  --scriptsdir "$here/piuparts" --no-upgrade-test --log-file "$log" "$deb" >/dev/null 2>&1 || status=$?
# What the chroot's own scripts printed, and piuparts' verdicts.
sed -n 's/^ *\(ferrant-[a-z]* [0-9.]*\|man: .*\)$/piuparts:   \1/p; s/^[0-9m.]*s [A-Z]*: \(PASS: .*\)$/piuparts: \1/p' "$log"
if [ "$status" -ne 0 ]; then
  echo "piuparts failed (exit $status); the end of $log:" >&2
  tail -n 40 "$log" >&2
  exit 1
fi
