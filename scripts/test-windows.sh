#!/usr/bin/env bash
# Builds Brindlemox for Windows with MinGW-w64 (presets win32 and win64) and
# tests it:
#   1. the 64-bit test suite under Wine (wine64), in a virtual X display;
#   2. checks of both builds' modules: the device's export table, the DLLs
#      each module needs, and (32-bit) no x87 arithmetic in our code;
#   3. the 64-bit capture tool under Wine against the Linux one, frame by
#      frame over the whole timeline: Windows must draw the very same pixels;
#   4. a smoke test of the real 64-bit program: its window appears, draws
#      changing frames, and Escape ends it with exit code 0.
# The 32-bit build is built and checked but not run: this machine runs no
# 32-bit programs. Installs what it needs with apt-get first, including the
# Debian source packages of libspng and zlib, which are built from source.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

start=$SECONDS
step() { echo "=== windows: $* ($((SECONDS - start)) s)"; }
fail() {
  echo "windows: FAILED: $*" >&2
  exit 1
}

WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick
                  dpkg-dev python3)
step "packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

step "sources of libspng and zlib"
sources=build-windeps/src
if ! compgen -G "$sources/zlib-*/zlib.h" >/dev/null ||
   ! compgen -G "$sources/libspng-*/spng/spng.c" >/dev/null; then
  ensure_source_entries
  mkdir -p "$sources"
  (cd "$sources" && apt-get source -q libspng zlib)
fi

step "building the 64-bit preset"
cmake --preset win64 >/dev/null
cmake --build --preset win64
step "building the 32-bit preset"
cmake --preset win32 >/dev/null
cmake --build --preset win32

# Wine in a prefix of its own, on a virtual display of its own.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
work=$(mktemp -d /tmp/brindlemox-windows.XXXXXX)
xvfb_pid=""
demo_pid=""
cleanup() {
  set +e
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

step "starting Xvfb and Wine"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
# One persistent server for every Wine process that follows; without it each
# test would wait for Wine to start up anew. Its helpers inherit our output
# descriptors, so they get none.
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || fail "cannot start the Wine server"
"$WINE" wineboot -i </dev/null >"$work/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$work/wineboot.log")"
# Without a window manager Wine waits two seconds for each window to be
# mapped or withdrawn; windows it does not hand to a manager need no wait.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
  </dev/null >/dev/null 2>&1 || fail "cannot configure Wine's X11 driver"

step "64-bit tests under Wine"
ctest --preset win64 -j2

step "32-bit module checks"
ctest --preset win32

step "Windows frames against Linux frames"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target brindlemox-capture >/dev/null
mkfifo "$work/linux.raw" "$work/windows.raw"
capture=(--fps 60 --duration 36000 --raw)
(cd build && exec ./brindlemox-capture "${capture[@]}" >"$work/linux.raw") &
linux_pid=$!
(cd build-win64 && exec "$WINE" ./brindlemox-capture.exe "${capture[@]}" >"$work/windows.raw") &
windows_pid=$!
compared=0
timeout 900 python3 scripts/compare-frames.py "$work/linux.raw" "$work/windows.raw" |
  tail -20 || compared=$?
linux_result=0
windows_result=0
wait "$linux_pid" || linux_result=$?
wait "$windows_pid" || windows_result=$?
[ "$compared" -eq 0 ] || fail "Windows frames differ from Linux frames"
[ "$linux_result" -eq 0 ] || fail "the Linux capture failed"
[ "$windows_result" -eq 0 ] || fail "the Windows capture failed"

step "smoke test of brindlemox.exe"
(cd build-win64 && exec "$WINE" ./brindlemox.exe) </dev/null >"$work/demo.log" 2>&1 &
demo_pid=$!
window=""
for _ in $(seq 60); do
  window=$(xdotool search --name '^Brindlemox' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "no window titled Brindlemox appeared"
sleep 3
title=$(xdotool getwindowname "$window")
echo "window title: \"$title\""
[[ "$title" == Brindlemox* ]] || fail "the title does not start with Brindlemox"
import -window "$window" "$work/first.png"
sleep 1
import -window "$window" "$work/second.png"
# The middle of the client area, clear of the title bar and the frame.
convert "$work/first.png" -gravity center -crop 560x360+0+10 +repage "$work/first-middle.png"
convert "$work/second.png" -gravity center -crop 560x360+0+10 +repage "$work/second-middle.png"
mean=$(convert "$work/first-middle.png" -format '%[fx:mean]' info:)
changed=$(compare -metric AE "$work/first-middle.png" "$work/second-middle.png" null: 2>&1 || true)
echo "mean brightness $mean, pixels changed in a second: $changed"
awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }' || fail "the window is black"
[ "${changed%% *}" != "0" ] || fail "the frames do not change"
# Escape as the user presses it: to the window with the keyboard focus.
xdotool windowfocus "$window" || fail "cannot focus the window"
sleep 0.3
xdotool key Escape
exit_code=""
for _ in $(seq 40); do
  if ! kill -0 "$demo_pid" 2>/dev/null; then
    exit_code=0
    wait "$demo_pid" || exit_code=$?
    break
  fi
  sleep 0.5
done
demo_pid_done=$demo_pid
demo_pid=""
[ -n "$exit_code" ] || { kill "$demo_pid_done" 2>/dev/null; fail "Escape did not end the program"; }
echo "brindlemox.exe ended with exit code $exit_code"
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, not 0 ($(tail -3 "$work/demo.log"))"

step "all Windows checks passed"
