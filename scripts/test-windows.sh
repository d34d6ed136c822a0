#!/usr/bin/env bash
# Builds Brindlemox for Windows with MinGW-w64 (presets win64 and win32),
# packages each as its release zip, and tests both under Wine in a virtual X
# display:
#   1. each build's whole test suite (ctest): the 64-bit one under wine64, the
#      32-bit one under 32-bit Wine (/usr/lib/wine/wine, Debian's wine32:i386)
#      in a 32-bit prefix, as on the 32-bit Windows the program is made for.
#      Besides the unit tests they check the modules' tables (exports, the
#      DLLs each needs, no x87 arithmetic on 32-bit), the release zip's
#      contents, and the real brindlemox.exe started as a process: the
#      device-failure box with exit code 1, the picture found from another
#      working directory, a copy without its picture;
#   2. the capture tools under Wine against the Linux one, frame by frame over
#      the whole timeline: both builds at 60 fps with seeds 1 and 4242, and the
#      32-bit one at 1000 fps (every millisecond) with seed 1: Windows must
#      draw the very same pixels;
#   3. each release zip unpacked into an empty folder and started from there
#      as a user would: its window appears, draws changing frames, its title
#      gives the frame rate, and Escape ends it with exit code 0; and the
#      32-bit zip without its picture: black tiles, one line on standard
#      error, and the show runs on.
# Installs what it needs with apt-get first: 32-bit Wine through multiarch
# (the i386 architecture is added when dpkg lacks it), and the Debian source
# packages of libspng and zlib, which are built from source. Exits non-zero
# on the first failure.
#
# Where the package archive cannot give wine32:i386 beside the system's
# amd64 packages (an i386 index synced only in part) while the kernel runs
# 32-bit code, 32-bit Wine comes from a Debian 12 root made with debootstrap
# from the main suite alone and kept in a cache folder (scripts/wine32-root.sh),
# and the 32-bit runs go on there, said in one line.
#
# Where the kernel does not execute 32-bit programs, or neither the archive
# nor such a root can give 32-bit Wine, every run of a 32-bit program is skipped with a
# line saying which and why (an i386 architecture this run added is taken
# away again); the 32-bit build, its zip and the checks of its modules still
# run, the 64-bit build takes the 32-bit one's place in the frame comparison
# at 1000 fps and in the start without the picture, and a 32-bit failure on a
# machine that can run 32-bit code still fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/frames.sh
report_unexpected_failures windows
source scripts/xvfb.sh
source scripts/wine32-root.sh

stage_messages windows

WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick
                  dpkg-dev python3)
step "packages"
prepare_package_sources
# An i386 architecture this run added goes again however the stage ends
# (the cleanup below does it once it is set).
trap restore_package_architectures EXIT
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" ||
  fail "the packages the Windows builds need cannot be installed"

# 32-bit Wine (wine32:i386), where the kernel runs 32-bit programs and the
# archive can give it: run32 says whether 32-bit programs run here.
run32=yes
probe_32bit_execution
exec32=$(run_state_get exec32)
case "$exec32" in
  yes) ;;
  "no: "*) run32=no why32=${exec32#no: } ;;
  *) fail "${exec32#fault: }" ;;
esac
# Where the archive cannot give it beside this system's packages (its i386
# index synced only in part), the 32-bit runs use 32-bit Wine in a Debian 12
# root of its own (scripts/wine32-root.sh). BRINDLEMOX_WINE32=root takes that
# way even where wine32:i386 would install.
wine32_root=""
if [ "$run32" = yes ] &&
   { [ "${BRINDLEMOX_WINE32:-}" = root ] || ! ensure_packages wine32:i386; }; then
  remove_added_i386_architecture
  if [ "$(id -u)" -ne 0 ]; then
    run32=no why32="the package archive cannot give 32-bit Wine (wine32:i386) now, and only root can make a root for it"
  elif root_dir=$(wine32_root_dir) && make_wine32_root "$root_dir"; then
    wine32_root=$root_dir
    because="the archive cannot give wine32:i386 beside this system's packages"
    [ "${BRINDLEMOX_WINE32:-}" = root ] && because="BRINDLEMOX_WINE32=root asks for it"
    echo "windows: the 32-bit runs use 32-bit Wine in a Debian 12 root (debootstrap, bookworm" \
         "main), $wine32_root: $because"
  else
    run32=no why32="the package archive cannot give 32-bit Wine (wine32:i386) now, nor a root for it"
  fi
fi
if [ "$run32" = no ]; then
  report_skip "Windows: 32-bit program runs (its test suite under 32-bit Wine, its frames, its zip started)" "$why32"
fi

step "sources of libspng and zlib"
ensure_library_sources

# The package target builds everything first, then writes the zip.
# Without 32-bit Wine the 32-bit tests are built but not listed: only the
# checks that read its modules and its zip run.
# The 32-bit emulator is named each time: the build folder keeps the last one.
for preset in win64 win32; do
  step "building and packaging the $preset preset"
  emulator=()
  if [ "$preset" = win32 ]; then
    if [ "$run32" = no ]; then
      emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=)
    elif [ -n "$wine32_root" ]; then
      emulator=("-DCMAKE_CROSSCOMPILING_EMULATOR=$PWD/scripts/wine32-root-run.sh;$wine32_root;wine")
    else
      emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine)
    fi
  fi
  cmake --preset "$preset" "${emulator[@]}" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" --target package
done
step "building the Linux capture tool"
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target brindlemox-capture

# Each Wine in a prefix of its own, on one virtual display.
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
work=$(mktemp -d /tmp/brindlemox-windows.XXXXXX)
WINESERVER32=$WINESERVER
if [ -n "$wine32_root" ]; then
  WINE32="$work/wine32"
  WINESERVER32="$work/wineserver32"
  printf '#!/bin/sh\nexec "%s" "%s" %s "$@"\n' "$PWD/scripts/wine32-root-run.sh" "$wine32_root" wine >"$WINE32"
  printf '#!/bin/sh\nexec "%s" "%s" %s "$@"\n' "$PWD/scripts/wine32-root-run.sh" "$wine32_root" wineserver >"$WINESERVER32"
  chmod +x "$WINE32" "$WINESERVER32"
fi
prefix64=$work/prefix64
prefix32=$work/prefix32
xvfb_pid=""
demo_pid=""
cleanup() {
  set +e
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -d "$prefix64" ] && WINEPREFIX=$prefix64 "$WINESERVER" -k 2>/dev/null
  [ -d "$prefix32" ] && WINEPREFIX=$prefix32 "$WINESERVER32" -k 2>/dev/null
  # Wine's processes in the root have ended with its server: nothing holds
  # the root's mounts now.
  unmount_wine32_root
  stop_display "$work"
  rm -rf "$work"
  # Nothing after this stage needs 32-bit packages.
  restore_package_architectures
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

step "starting Xvfb and Wine"
start_xvfb "$work" || fail "Xvfb did not start"

# start_wine PREFIX LOADER ARCH: one persistent server for every Wine process
# of the prefix that follows (without it each test would wait for Wine to
# start up anew; its helpers inherit our output descriptors, so they get
# none), the prefix made for ARCH (win64 or win32), and no window manager
# waited for: Wine would wait two seconds for each window to be mapped.
# The first Wine program in a new prefix makes the prefix and waits for that;
# an explicit `wineboot -i` on top would start a second service manager, and
# then programs that open windows wait ten seconds for Wine's RPC service.
start_wine() {
  local prefix=$1 loader=$2 arch=$3 server=$4
  mkdir -p "$prefix"
  WINEPREFIX=$prefix WINEARCH=$arch "$server" -p </dev/null >/dev/null 2>&1 ||
    fail "cannot start the Wine server for $arch"
  WINEPREFIX=$prefix WINEARCH=$arch "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
    /t REG_SZ /d N /f </dev/null >"$work/prefix-$arch.log" 2>&1 ||
    fail "cannot make the $arch prefix: $(tail -3 "$work/prefix-$arch.log")"
  local wow64=no
  [ -d "$prefix/drive_c/windows/syswow64" ] && wow64=yes
  [ "$arch" = win64 ] || [ "$wow64" = no ] || fail "the $arch prefix is a 64-bit one"
}
if [ -n "$wine32_root" ]; then
  mount_wine32_root "$wine32_root" "$PWD" || fail "cannot bind the system's folders into $wine32_root"
fi
start_wine "$prefix64" "$WINE64" win64 "$WINESERVER"
[ "$run32" = yes ] && start_wine "$prefix32" "$WINE32" win32 "$WINESERVER32"

# run_suite PRESET PREFIX: the preset's tests under its Wine. Tests that fail
# run once more, with Wine's own error messages on, as Wine has been seen to
# fail to start one test process in a run (no output, no time taken); a test
# that fails again fails the stage, and one that passes then is named.
run_suite() {
  local preset=$1 prefix=$2
  WINEPREFIX=$prefix ctest --preset "$preset" -j2 && return
  local failed
  failed=$(cut -d: -f2 "build-$preset/Testing/Temporary/LastTestsFailed.log" | tr '\n' ' ')
  echo "windows: $preset: running the failed tests again: $failed"
  WINEPREFIX=$prefix WINEDEBUG=err+all ctest --test-dir "build-$preset" --rerun-failed \
    --output-on-failure || fail "$preset tests failed: $failed"
  echo "windows: WARNING: $preset tests failed once and passed when run again: $failed"
}

step "64-bit tests under wine64"
run_suite win64 "$prefix64"
if [ "$run32" = yes ]; then
  step "32-bit tests under 32-bit Wine"
  run_suite win32 "$prefix32"
else
  step "32-bit checks of the modules and the zip (no 32-bit Wine)"
  ctest --preset win32 -j2 || fail "win32 checks failed"
fi

# compare_frames FPS SEED BITS...: the Linux capture tool's frames over the
# whole timeline against each Windows build named (64 or 32), each build's
# capture tool under its Wine (scripts/frames.sh).
compare_frames() {
  local fps=$1 seed=$2 bits pairs=()
  shift 2
  for bits in "$@"; do
    local loader=$WINE64 prefix=$prefix64
    [ "$bits" = 32 ] && loader=$WINE32 prefix=$prefix32
    pairs+=("$bits-bit" "cd build-win$bits && WINEPREFIX=$(printf %q "$prefix") exec timeout 1800 $(printf %q "$loader") ./brindlemox-capture.exe")
  done
  compare_with_linux "$work" "$fps" "$seed" "${pairs[@]}" ||
    fail "at $fps fps, seed $seed: the Windows frames differ from the Linux frames, or a capture failed"
}

step "Windows frames against Linux frames"
# The seed places the stars; 1000 fps draws every millisecond of the
# timeline once. The fourth pair, 1000 fps with the other seed, is left out:
# it would take as long again as the first (about three minutes here, against
# a quarter of a minute at 60 fps) for the starfield's eight seconds alone,
# which the 60 fps run with that seed covers. The 32-bit build draws every
# millisecond where it runs, else the 64-bit one does.
builds=(64)
every_ms=64
[ "$run32" = yes ] && builds+=(32) && every_ms=32
compare_frames 60 1 "${builds[@]}"
compare_frames 60 4242 "${builds[@]}"
compare_frames 1000 1 "$every_ms"

# Each release zip unpacked into an empty folder of its own.
version=$(project_version build-win32)
unpack() {  # BITS -> the unpacked folder
  local name="Brindlemox-$version-win$1"
  local zip="$PWD/build-win$1/$name.zip"
  [ -f "$zip" ] || fail "no $zip"
  mkdir "$work/unpacked-$1"
  (cd "$work/unpacked-$1" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
  [ -f "$work/unpacked-$1/$name/brindlemox.exe" ] || fail "$zip has no $name/brindlemox.exe"
  echo "$work/unpacked-$1/$name"
}

# run_show LABEL LOADER PREFIX FOLDER PICTURE: starts brindlemox.exe in FOLDER
# (its working directory) and checks what a user sees: a window titled
# Brindlemox whose title comes to give the frame rate, frames drawn (with
# PICTURE "yes" the tiles, changing; with "no" the tile zoom all black),
# Escape as the user presses it ending the show with exit code 0, and on
# standard error nothing, or without the picture the one line saying so.
run_show() {
  local label=$1 loader=$2 prefix=$3 folder=$4 picture=$5
  local log="$work/show-$label"
  (cd "$folder" && WINEPREFIX=$prefix exec "$loader" ./brindlemox.exe) \
    </dev/null >"$log.out" 2>"$log.err" &
  demo_pid=$!
  local window="" title=""
  for _ in $(seq 120); do
    window=$(xdotool search --name '^Brindlemox' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || fail "$label: no window titled Brindlemox appeared"
  for _ in $(seq 60); do
    title=$(xdotool getwindowname "$window" 2>/dev/null || true)
    [[ "$title" =~ ^Brindlemox\ ::\ [0-9]+\ fps\ \ \ $ ]] && break
    sleep 0.5
  done
  echo "$label: window title \"$title\""
  [[ "$title" =~ ^Brindlemox\ ::\ [0-9]+\ fps\ \ \ $ ]] || fail "$label: the title gives no frame rate"
  # Well inside the tile zoom's eight seconds: the middle of the client area,
  # clear of the title bar and the frame, a second apart.
  sleep 2
  import -window "$window" "$log-first.png"
  sleep 1
  import -window "$window" "$log-second.png"
  convert "$log-first.png" -gravity center -crop 560x360+0+10 +repage "$log-first-middle.png"
  convert "$log-second.png" -gravity center -crop 560x360+0+10 +repage "$log-second-middle.png"
  local mean changed
  mean=$(convert "$log-first-middle.png" -format '%[fx:mean]' info:)
  changed=$(compare -metric AE "$log-first-middle.png" "$log-second-middle.png" null: 2>&1 || true)
  echo "$label: mean brightness $mean, pixels changed in a second: $changed"
  if [ "$picture" = yes ]; then
    awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }' || fail "$label: the window is black"
    [ "${changed%% *}" != "0" ] || fail "$label: the frames do not change"
  else
    awk -v m="$mean" 'BEGIN { exit !(m == 0) }' || fail "$label: the tiles are not black"
  fi
  local pressed=0
  press_escape "$window" "$demo_pid" || pressed=$?
  [ "$pressed" -ne 1 ] || fail "$label: cannot focus the window"
  local pid=$demo_pid exit_code=$escape_exit_code
  demo_pid=""
  [ -n "$exit_code" ] || { kill "$pid" 2>/dev/null; fail "$label: Escape did not end the program"; }
  echo "$label: brindlemox.exe ended with exit code $exit_code"
  [ "$exit_code" -eq 0 ] || fail "$label: exit code $exit_code, not 0 ($(tail -3 "$log.err"))"
  local said expected=""
  said=$(tr -d '\r' <"$log.err")
  [ "$picture" = yes ] ||
    expected='Brindlemox: cannot load picture "pvn_quad.png": file not found'
  [ "$said" = "$expected" ] || fail "$label: said \"$said\", expected \"$expected\""
}

step "the 64-bit zip, unpacked and started"
folder64=$(unpack 64)
run_show "64-bit zip" "$WINE64" "$prefix64" "$folder64" yes
if [ "$run32" = yes ]; then
  step "the 32-bit zip, unpacked and started under 32-bit Wine"
  folder32=$(unpack 32)
  run_show "32-bit zip" "$WINE32" "$prefix32" "$folder32" yes
  step "the 32-bit zip without its picture"
  rm "$folder32/pvn_quad.png"
  run_show "32-bit zip without pvn_quad.png" "$WINE32" "$prefix32" "$folder32" no
else
  step "the 64-bit zip without its picture"
  rm "$folder64/pvn_quad.png"
  run_show "64-bit zip without pvn_quad.png" "$WINE64" "$prefix64" "$folder64" no
fi

step "all Windows checks passed"
