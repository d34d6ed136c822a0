#!/usr/bin/env bash
# The files that make Brindlemox part of a Linux desktop, as installed under
# PREFIX, checked by the tools desktops and distributions check them with:
#   - the menu entry share/applications/brindlemox.desktop passes
#     desktop-file-validate; its Exec names an installed program and its Icon
#     an installed icon in every size, each a PNG of that size;
#   - the AppStream file share/metainfo/*.metainfo.xml passes
#     `appstreamcli validate --no-net`, and with the entry and icons beside it
#     `appstreamcli validate-tree --no-net`; its screenshots are the README's
#     pictures (docs/NAME.png, of the size it states), its binaries are
#     installed and its release is the programs' version;
#   - each manual page is gzip-compressed, formats with groff without a
#     single warning (-ww), has a NAME line that lexgrog reads (whatis and
#     apropos find it by that), and the capture tool's page describes every
#     option its --help names.
#
# Usage: desktop-files-test.sh SOURCE_DIR PREFIX
#        desktop-files-test.sh SOURCE_DIR --install CMAKE BUILD_DIR
# The second form first installs BUILD_DIR into a scratch PREFIX. Exits 77
# (skipped) when one of the checking tools is not installed.
set -uo pipefail
source=$1
shift
source "$(dirname "$0")/checks.sh"
start_checks desktop

for tool in desktop-file-validate appstreamcli groff lexgrog gzip; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

if [ "$1" = --install ]; then
  prefix=$scratch/prefix
  "$2" --install "$3" --prefix "$prefix" >/dev/null || { echo "FAILED: cmake --install"; exit 1; }
else
  prefix=$1
fi

# The value of KEY in the [Desktop Entry] of FILE.
entry_value() { sed -n "/^\[Desktop Entry\]/,/^\[/{s/^$2=//p}" "$1"; }
# The width and height of a PNG file, from its IHDR chunk.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

entry=$prefix/share/applications/brindlemox.desktop
if [ -f "$entry" ]; then
  said=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $said"
  [ -z "$said" ] || fail "desktop-file-validate has hints: $said"
  program=$(entry_value "$entry" Exec)
  # The show is in bin/, or where Debian keeps games, games/ (the .deb).
  [ -x "$prefix/bin/${program%% *}" ] || [ -x "$prefix/games/${program%% *}" ] ||
    fail "the entry starts \"$program\", which is not installed"
  icon=$(entry_value "$entry" Icon)
  for size in 16 24 32 48 64 128 256; do
    file=$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png
    if [ ! -f "$file" ]; then
      fail "no icon $file"
    elif [ "$(png_size "$file")" != "${size}x$size" ]; then
      fail "$file is $(png_size "$file"), not ${size}x$size"
    fi
  done
else
  fail "no $entry"
fi

version=$("$prefix/bin/brindlemox-capture" --version | sed 's/^brindlemox-capture //')

# Ours is the AppStream file that launches the entry (PREFIX may be /usr,
# which has those of other programs too).
mapfile -t metainfo < <(grep -l '<launchable type="desktop-id">brindlemox.desktop</launchable>' \
                          "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null)
if [ "${#metainfo[@]}" -eq 1 ]; then
  said=$(appstreamcli validate --no-net --explain "${metainfo[0]}" 2>&1) ||
    fail "appstreamcli validate: $said"
  # validate-tree checks the file with the entry and the icons it refers to:
  # ours alone, in a tree of their own.
  tree=$scratch/tree/share
  mkdir -p "$tree/applications" "$tree/metainfo" "$tree/icons"
  cp "$entry" "$tree/applications/"
  cp "${metainfo[0]}" "$tree/metainfo/"
  (cd "$prefix/share/icons" && find hicolor -name 'brindlemox.*' -exec cp --parents {} "$tree/icons/" \;)
  said=$(appstreamcli validate-tree --no-net --explain "$scratch/tree" 2>&1) ||
    fail "appstreamcli validate-tree: $said"
  shots=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/docs/\([^<]*\)</image>.*|\3 \1x\2|p' "${metainfo[0]}")
  [ -n "$shots" ] || fail "the AppStream file shows no screenshot of docs/"
  while read -r picture size; do
    [ -f "$source/docs/$picture" ] || { fail "no screenshot docs/$picture"; continue; }
    [ "$(png_size "$source/docs/$picture")" = "$size" ] ||
      fail "docs/$picture is $(png_size "$source/docs/$picture"), the AppStream file says $size"
  done <<<"$shots"
  for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "${metainfo[0]}"); do
    [ -x "$prefix/bin/$binary" ] || [ -x "$prefix/games/$binary" ] ||
      fail "the AppStream file provides $binary, which is not installed"
  done
  grep -q "<release version=\"$version\"" "${metainfo[0]}" ||
    fail "the AppStream file has no release $version"
else
  fail "not one AppStream file in $prefix/share/metainfo launches brindlemox.desktop: ${metainfo[*]}"
fi

manual_page() {  # SECTION NAME
  local page=$prefix/share/man/man$1/$2.$1.gz
  [ -f "$page" ] || { fail "no manual page $page"; return; }
  gzip -t "$page" 2>/dev/null || { fail "$page is not gzip-compressed"; return; }
  local said
  said=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$said" ] || fail "groff warns on $2($1): $said"
  said=$(lexgrog "$page" 2>&1)
  [[ "$said" == *": \"$2 - "* ]] || fail "lexgrog reads no NAME line in $2($1): $said"
  gzip -dc "$page" | head -1 | grep -q "\"Brindlemox $version\"" ||
    fail "$2($1) is not of version $version"
}
manual_page 6 brindlemox
manual_page 1 brindlemox-capture

# Every option of the capture tool's usage, in its manual page.
page=$(gzip -dc "$prefix/share/man/man1/brindlemox-capture.1.gz" | groff -man -Tascii -P-cbou 2>/dev/null)
options=$("$prefix/bin/brindlemox-capture" --help | grep -oE '^ +-(-[a-z-]+|[a-z])' | tr -d ' ')
[ "$(echo "$options" | wc -l)" -ge 8 ] || fail "the capture tool's usage names only: $options"
for option in $options; do
  grep -qE "(^|[^-])$option([^a-z-]|$)" <<<"$page" || fail "brindlemox-capture(1) does not describe $option"
done

end_checks
echo "the desktop entry, the icons, the AppStream file and the manual pages pass their checks"
