#!/usr/bin/env bash
# Puts the Scintilla sources that the Windows program's panes are built from in a folder:
#   scripts/fetch-scintilla.sh DEST
# DEST/scintilla then holds Scintilla 5.3.3 (include/, src/, win32/, License.txt). They come from
# Debian's own source package of the SciTE editor, which ships Scintilla beside it, fetched with
# apt from the source entries that match this machine's configured package sources, and checked
# against the checksum below. Nothing of it goes into the repository. Another Scintilla 5 source
# tree can be used instead: configure with -DMORVELIN_SCINTILLA_SOURCE_DIR=/path/to/scintilla.
set -euo pipefail

dest=${1:?"usage: fetch-scintilla.sh DEST"}
package=scite
version=5.3.3-1
tarball=scite_5.3.3.orig.tar.gz
sha256=79275a4a7e01bf429ff05e0fd699b79dc016d705335b393905b4f2cc43799a64

if [ -f "$dest/scintilla/win32/ScintillaWin.cxx" ]; then
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/etc/sources.list.d" "$work/lists/partial" "$work/cache/archives/partial" \
    "$work/src"

# The machine's own package sources, as source entries: deb822 files and one-line lists alike.
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
    sed -E 's/^Types:.*/Types: deb-src/' "$file" >"$work/etc/sources.list.d/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -f "$file" ]; then
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
    fi
done >"$work/etc/sources.list"

apt_options=(
    -o "Dir::Etc::SourceList=$work/etc/sources.list"
    -o "Dir::Etc::SourceParts=$work/etc/sources.list.d"
    -o "Dir::State::Lists=$work/lists"
    -o "Dir::Cache=$work/cache"
    -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=$(id -un)"
)
echo "Fetching the $package $version source package for Scintilla"
apt-get "${apt_options[@]}" -qq update
(cd "$work/src" && apt-get "${apt_options[@]}" -qq source --download-only "$package=$version")

echo "$sha256  $work/src/$tarball" | sha256sum --check --quiet
mkdir -p "$dest"
tar -xzf "$work/src/$tarball" -C "$dest" scintilla
echo "Scintilla sources in $dest/scintilla"
