#!/usr/bin/env bash
# The Linux install and package, as a user gets them:
#   - `cmake --install` lays out PREFIX/bin/brindlemox, bin/brindlemox-capture,
#     share/brindlemox/pvn_quad.png, the desktop entry, the icons, the
#     AppStream file, the manual pages and share/doc/brindlemox/LICENSE (the
#     project's LICENSE), and nothing else;
#   - the .tar.gz holds the same files in one folder named like it, and the
#     SHA256SUMS beside it checks it;
#   - the installed program finds its picture from any working directory, in
#     ../share/brindlemox or beside itself; without it, it says so in one line
#     and the show runs on;
#   - the installed and the unpacked capture tool, started in another folder,
#     find the picture as the program does and record the same frames as the
#     build's; without the picture the tool says so and records nothing;
#   - the archive unpacked into ~/.local, as the README says: its menu entry
#     is where desktops look, names the unpacked program on the user's PATH
#     and its icon, and launched as a desktop launches it, starts the program.
# The program plays on an X server of the test's own and is ended, once its
# title shows the frame rate (the show plays), with SIGTERM, which it takes
# as a close request then: exit code 0.
#
# Usage: linux-install-test.sh CMAKE CPACK BUILD_DIR PACKAGE_NAME SOURCE_DIR
set -euo pipefail
cmake=$1 cpack=$2 build=$3 name=$4 source=$5
source "$(dirname "$0")/checks.sh"
source "$(dirname "$0")/../../scripts/xvfb.sh"
start_checks install
xvfb_pid=""
trap 'stop_display "$scratch"; rm -rf "$scratch"' EXIT
start_xvfb "$scratch" || { echo "FAILED: Xvfb did not start" >&2; exit 1; }

files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort); }
expected=$(sort <<'FILES'
bin/brindlemox
bin/brindlemox-capture
share/applications/brindlemox.desktop
share/brindlemox/pvn_quad.png
share/doc/brindlemox/LICENSE
share/icons/hicolor/16x16/apps/brindlemox.png
share/icons/hicolor/24x24/apps/brindlemox.png
share/icons/hicolor/32x32/apps/brindlemox.png
share/icons/hicolor/48x48/apps/brindlemox.png
share/icons/hicolor/64x64/apps/brindlemox.png
share/icons/hicolor/128x128/apps/brindlemox.png
share/icons/hicolor/256x256/apps/brindlemox.png
share/man/man1/brindlemox-capture.1.gz
share/man/man6/brindlemox.6.gz
share/metainfo/org.example.brindlemox.metainfo.xml
FILES
)

prefix=$scratch/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
[ "$(files_under "$prefix")" = "$expected" ] ||
  fail "cmake --install laid out: $(files_under "$prefix" | tr '\n' ' ')"
cmp -s "$prefix/share/doc/brindlemox/LICENSE" "$source/LICENSE" ||
  fail "the installed LICENSE is not the project's"

# The archive alone: the .deb needs Debian's dpkg-dev, and has a test of its
# own (scripts/test-packages.sh).
"$cpack" -G TGZ --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null
[ "$(awk '{ print $2 }' "$scratch/package/SHA256SUMS" 2>/dev/null)" = "$name.tar.gz" ] ||
  fail "SHA256SUMS does not list $name.tar.gz alone: $(cat "$scratch/package/SHA256SUMS" 2>&1)"
(cd "$scratch/package" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check"
mkdir "$scratch/unpacked"
tar -xzf "$scratch/package/$name.tar.gz" -C "$scratch/unpacked"
[ "$(ls "$scratch/unpacked")" = "$name" ] ||
  fail "the archive does not hold one folder $name: $(ls "$scratch/unpacked" | tr '\n' ' ')"
[ "$(files_under "$scratch/unpacked/$name")" = "$expected" ] ||
  fail "the archive holds: $(files_under "$scratch/unpacked/$name" | tr '\n' ' ')"

# Runs PROGRAM in the folder DIR until its window's title shows the frame
# rate (from frame 15 on: set-up is over and the show plays), then sends it
# SIGTERM; sets `said` (its standard error) and `code` (its exit code).
run_in() {
  local dir=$1 program=$2 pid
  (cd "$dir" && unset WAYLAND_DISPLAY SDL_VIDEODRIVER &&
     exec env --default-signal=INT,TERM "$program" </dev/null >/dev/null 2>"$scratch/said") &
  pid=$!
  for _ in $(seq 600); do
    xdotool search --all --pid "$pid" --name '^Brindlemox :: ' >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  code=0
  wait "$pid" || code=$?
  said=$(cat "$scratch/said")
}

expect_run() {  # LABEL DIR PROGRAM EXPECTED_STDERR
  run_in "$2" "$3"
  [ "$code" -eq 0 ] || fail "$1: exit code $code ($said)"
  [ "$said" = "$4" ] || fail "$1: said \"$said\", expected \"$4\""
}

missing='Brindlemox: cannot load picture "pvn_quad.png": file not found'
mkdir "$scratch/elsewhere" "$scratch/alone"
expect_run "installed, started elsewhere" "$scratch/elsewhere" "$prefix/bin/brindlemox" ""
expect_run "unpacked, started elsewhere" "$scratch/elsewhere" \
  "$scratch/unpacked/$name/bin/brindlemox" ""
cp "$prefix/bin/brindlemox" "$scratch/alone/"
expect_run "without its picture" "$scratch/elsewhere" "$scratch/alone/brindlemox" "$missing"
cp "$prefix/share/brindlemox/pvn_quad.png" "$scratch/alone/"
expect_run "with the picture beside it" "$scratch/elsewhere" "$scratch/alone/brindlemox" ""

# Frame 420 (7 s into the tile zoom) of the installed and the unpacked tool,
# started in another folder, and of the build's.
(cd "$build" && ./brindlemox-capture --frames 420 --raw) >"$scratch/built.raw"
[ -s "$scratch/built.raw" ] || fail "the build's capture tool recorded nothing"
for tool in "$prefix/bin/brindlemox-capture" "$scratch/unpacked/$name/bin/brindlemox-capture"; do
  (cd "$scratch/elsewhere" && "$tool" --frames 420 --raw) >"$scratch/captured.raw" ||
    fail "$tool, started elsewhere, failed"
  cmp -s "$scratch/captured.raw" "$scratch/built.raw" ||
    fail "$tool, started elsewhere, records other frames than the build's"
done
# Without its picture the tool says so and records nothing.
cp "$prefix/bin/brindlemox-capture" "$scratch/elsewhere/"
code=0
said=$(cd "$scratch/elsewhere" && ./brindlemox-capture --frames 420 --raw 2>&1 >"$scratch/captured.raw") ||
  code=$?
[ "$code" -eq 1 ] && [ ! -s "$scratch/captured.raw" ] ||
  fail "the capture tool without its picture exited with $code and recorded $(wc -c <"$scratch/captured.raw") bytes"
[[ "$said" == "brindlemox-capture: cannot find the picture: "* ]] ||
  fail "the capture tool without its picture said \"$said\""

# The archive unpacked where the README says, into ~/.local without its top
# folder: its menu entry lies where desktops look for a user's entries
# (~/.local/share/applications), names a program that the PATH Debian's
# ~/.profile makes (~/.local/bin first) finds, and an icon in the user's
# icon folder; started as a desktop starts it (gio launch, where there is
# gio), it runs the unpacked program, which finds its picture.
home=$scratch/home
mkdir -p "$home/.local"
tar -xzf "$scratch/package/$name.tar.gz" -C "$home/.local" --strip-components=1
entry=$home/.local/share/applications/brindlemox.desktop
user_path=$home/.local/bin:/usr/local/bin:/usr/bin:/bin
if [ ! -f "$entry" ]; then
  fail "unpacked into ~/.local, the archive puts no menu entry in ~/.local/share/applications"
else
  entry_value() { sed -n "/^\[Desktop Entry\]/,/^\[/{s/^$1=//p}" "$entry"; }
  for key in Exec TryExec; do
    program=$(entry_value "$key")
    program=${program%% *}
    found=$(PATH=$user_path command -v "$program" || true)
    [ "$found" = "$home/.local/bin/brindlemox" ] ||
      fail "the entry's $key \"$program\" is not the unpacked program on the user's PATH (found \"$found\")"
  done
  icon=$(entry_value Icon)
  for size in 16 48 256; do
    [ -f "$home/.local/share/icons/hicolor/${size}x$size/apps/$icon.png" ] ||
      fail "the entry's icon \"$icon\" is not in ~/.local/share/icons/hicolor at ${size}x$size"
  done
  if command -v gio >/dev/null; then
    env -i HOME="$home" PATH="$user_path" SDL_VIDEODRIVER=dummy XDG_DATA_HOME="$home/.local/share" \
      gio launch "$entry" </dev/null >/dev/null 2>"$scratch/launched" ||
      fail "gio launch failed: $(cat "$scratch/launched")"
    # The program gio started, by the file it runs: this test's own copy.
    pid=""
    for _ in $(seq 200); do
      for exe in /proc/[0-9]*/exe; do
        [ "$(readlink "$exe" 2>/dev/null)" = "$home/.local/bin/brindlemox" ] || continue
        pid=${exe#/proc/}
        pid=${pid%/exe}
      done
      [ -n "$pid" ] && break
      sleep 0.05
    done
    if [ -z "$pid" ]; then
      fail "the menu entry, launched, started no $home/.local/bin/brindlemox"
    else
      sleep 1
      [ -d "/proc/$pid" ] || fail "the program the menu entry started ended at once: $(cat "$scratch/launched")"
      kill -TERM "$pid" 2>/dev/null
      for _ in $(seq 100); do [ -d "/proc/$pid" ] || break; sleep 0.05; done
      [ ! -d "/proc/$pid" ] || { kill -KILL "$pid"; fail "the launched program did not end on SIGTERM"; }
      ! grep -q "cannot load picture" "$scratch/launched" ||
        fail "the launched program did not find its picture: $(cat "$scratch/launched")"
    fi
  fi
fi

end_checks
echo "the install and the package hold the program, it finds its picture, and the archive's menu entry starts it from ~/.local"
