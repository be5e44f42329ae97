#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root
# with dpkg -x and runs the installed panel offscreen against the installed
# ovolta-sim until it has connected and polled.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
root=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$root"' EXIT

(cd "$build" && cpack -G DEB -B "$root/pkg" >/dev/null)
deb=$(ls "$root"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $(basename "$deb")"
echo "depends: $depends"
for lib in libqt6serialport6 libqt6widgets6 libsqlcipher; do
  grep -q "$lib" <<<"$depends" || { echo "missing dependency on $lib"; exit 1; }
done

dpkg -x "$deb" "$root/fs"
for f in usr/bin/ovolta-panel usr/bin/ovolta-sim usr/share/applications/ovolta-panel.desktop \
         usr/share/icons/hicolor/scalable/apps/ovolta-panel.svg; do
  [ -e "$root/fs/$f" ] || { echo "not installed: $f"; exit 1; }
done
"$root/fs/usr/bin/ovolta-panel" --version
"$root/fs/usr/bin/ovolta-sim" --version

data="$root/data"
mkdir -p "$data"
"$root/fs/usr/bin/ovolta-sim" --data-dir "$data" --port 1 --trace "$data/trace.txt" >/dev/null &
sim=$!
for _ in $(seq 100); do [ -e "$data/ports/Com1" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=offscreen "$root/fs/usr/bin/ovolta-panel" --data-dir "$data" --quit-after 3000 2>/dev/null
grep -q GETD "$data/trace.txt" || { echo "the installed panel did not poll"; exit 1; }
grep -q ENDS "$data/trace.txt" || { echo "the installed panel did not end remote mode"; exit 1; }
[ -f "$data/Ovolta.DB" ] || { echo "no database in the data folder"; exit 1; }
echo "installed panel connected, polled and shut down"
