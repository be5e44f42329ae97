#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it the way Debian's tools do:
# lintian with no error and no warning, valid AppStream metadata and desktop entry, a manual
# page for every program that renders without warnings, stripped programs that keep their
# build ID. Then unpacks it into a scratch root with dpkg -x, runs each installed program's
# --help and --version, and the installed panel offscreen against the installed ovolta-sim
# until it has connected and polled.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
root=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$root"' EXIT
fail() {
  echo "$*"
  exit 1
}

(cd "$build" && cpack -G DEB -B "$root/pkg" >/dev/null)
deb=$(ls "$root"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
version=$(dpkg-deb -f "$deb" Version)
echo "package: $(basename "$deb"), installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "depends: $depends"
for lib in libqt6serialport6 libqt6widgets6 libsqlcipher; do
  grep -q "$lib" <<<"$depends" || fail "missing dependency on $lib"
done

# Informational tags are shown but do not fail; lintian's note about running as root is dropped.
lintian --fail-on error,warning --display-info "$deb" 2> >(grep -v "root privileges" >&2) ||
  fail "lintian found errors or warnings"
echo "lintian: no error, no warning"

fs="$root/fs"
dpkg -x "$deb" "$fs"
doc="$fs/usr/share/doc/ovolta-panel"
metainfo="$fs/usr/share/metainfo/io.github.ovolta_panel.OvoltaPanel.metainfo.xml"
desktop="$fs/usr/share/applications/ovolta-panel.desktop"
for f in "$desktop" "$metainfo" "$fs/usr/share/icons/hicolor/scalable/apps/ovolta-panel.svg" \
         "$doc/copyright" "$doc/changelog.gz" "$fs/usr/bin/ovolta-panel" "$fs/usr/bin/ovolta-sim" \
         "$fs/usr/bin/ovolta-cli"; do
  [ -e "$f" ] || fail "not installed: ${f#"$fs"}"
done

out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "$out"
# The tree check also finds the desktop entry named as the launchable.
out=$(appstreamcli validate-tree --no-net "$fs" 2>&1) || fail "$out"
out=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$out" ] || fail "desktop-file-validate: $out"
echo "appstream metadata and desktop entry: valid"

zcat "$doc/changelog.gz" >"$root/changelog"
[ "$(dpkg-parsechangelog -l "$root/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's latest entry is not version $version"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"

for program in "$fs"/usr/bin/*; do
  name=$(basename "$program")
  readelf -n "$program" | grep -q "Build ID" || fail "$name lost its build ID"
  page="$fs/usr/share/man/man1/$name.1.gz"
  [ -e "$page" ] || fail "no manual page for $name"
  out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot show $name: $out"
  [ -z "$out" ] || fail "the manual page of $name has warnings: $out"
  "$program" --help >/dev/null || fail "$name --help failed"
  "$program" --version
done
echo "manual pages render without warnings"

data="$root/data"
mkdir -p "$data"
"$fs/usr/bin/ovolta-sim" --data-dir "$data" --port 1 --trace "$data/trace.txt" >/dev/null &
sim=$!
for _ in $(seq 100); do [ -e "$data/ports/Com1" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=offscreen "$fs/usr/bin/ovolta-panel" --data-dir "$data" --quit-after 3000 2>/dev/null
grep -q GETD "$data/trace.txt" || fail "the installed panel did not poll"
grep -q ENDS "$data/trace.txt" || fail "the installed panel did not end remote mode"
[ -f "$data/Ovolta.DB" ] || fail "no database in the data folder"
echo "installed panel connected, polled and shut down"
