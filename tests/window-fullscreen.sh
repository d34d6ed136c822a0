#!/usr/bin/env bash
# The Linux window at the size a user or the window manager gives it, as a
# user sees it: on a fresh Xvfb of SIZE with a window manager (openbox), the
# program runs into the tile zoom's still picture (6000 to 8000 ms on the
# timeline), and the screen is read back with ImageMagick's import.
#
#   keys: F11 makes the window cover the screen, and the screen then holds
#         the capture tool's frame at 7000 ms scaled by nearest pixel into
#         the largest 4:3 box, centred, black outside it; F11 brings back
#         the 640x480 window where it was; Alt+Enter does the same both ways;
#         and Escape in fullscreen ends the program with exit code 0.
#   wm:   the window manager makes the window fullscreen (wmctrl), and in
#         another show maximises it: the picture fills its 4:3 box in the
#         larger window the same way; taken back, the window is 640x480.
#
# The box is checked without depending on which of two frame pixels a shown
# pixel exactly on the border between them takes: sampled back at the middle
# of each frame pixel's block it must give the frame itself, it must hold no
# colour the frame lacks (nothing smoothed), and all outside it is black.
#
# PATH is how the program presents: "surface" (the window surface, which SDL
# takes for software rendering, as on Xvfb) or "texture" (SDL's renderer and
# its streaming texture, as with graphics hardware; chosen here by naming the
# renderer, SDL_RENDER_DRIVER=opengl, which Xvfb draws with Mesa's software
# OpenGL). The texture path makes the window anew as an OpenGL window: its
# X visual must differ from the one a window of the surface path has.
#
# Run by ctest from the build directory (the picture is read from there):
#   window-fullscreen.sh PROGRAM CAPTURE_TOOL keys|wm surface|texture WIDTHxHEIGHT
# Exits 77 (skipped) when a tool is missing. With KEEP set, the pictures are
# kept for a look.
set -uo pipefail
program=$1
capture=$2
mode=$3
path=$4
size=$5

for tool in Xvfb openbox wmctrl xdotool xwininfo import identify compare convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
screen_width=${size%x*}
screen_height=${size#*x}

source "$(dirname "$0")/program-on-xvfb.sh"
program_output="$work/program.out"
fail_context="$mode, $path, $size"

"$capture" --fps 1 --frames 8 --out "$work/expected" >/dev/null 2>&1 || fail "the capture tool failed"
expected="$work/expected/frame_000008.png"
frame_colours=$(identify -format '%k' "$expected")
frame_corner=$(convert "$expected" -format '%[pixel:p{0,0}]' info:)

start_xvfb "$work" 24 "$size" || fail "Xvfb did not start"
start_window_manager "$work" || fail "the window manager did not start"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_DRIVER

# The window's client area as x y width height.
geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  echo "${X:-} ${Y:-} ${WIDTH:-} ${HEIGHT:-}"
}

# wait_for_geometry WINDOW "X Y WIDTH HEIGHT" (X and Y may be "*"): up to 10 s.
wait_for_geometry() {
  local window=$1 wanted=$2 now
  for _ in $(seq 100); do
    now=$(geometry "$window")
    # shellcheck disable=SC2053
    [[ "$now" == $wanted ]] && return 0
    sleep 0.1
  done
  echo "the window is at $now, not $wanted"
  return 1
}

# The largest 4:3 box in an area, centred: "x y width height".
box_of() {
  local width=$1 height=$2 bw bh
  if [ $((width * 480)) -le $((height * 640)) ]; then
    bw=$width bh=$((width * 480 / 640))
  else
    bw=$((height * 640 / 480)) bh=$height
  fi
  echo "$(((width - bw) / 2)) $(((height - bh) / 2)) $bw $bh"
}

# check_letterboxed SHOT WIDTH HEIGHT [bars]: SHOT (WIDTH x HEIGHT) holds the
# frame scaled into its box, black around it; with "bars", only the black
# around it is checked (the frame is then no longer the still picture).
# Prints what it finds; returns non-zero when it is not so.
check_letterboxed() {
  local shot=$1 width=$2 height=$3 what=${4:-}
  local shot_size bx by bw bh outside
  shot_size=$(identify -format '%wx%h' "$shot")
  [ "$shot_size" = "${width}x${height}" ] || { echo "the picture is $shot_size"; return 1; }
  read -r bx by bw bh < <(box_of "$width" "$height")
  outside=$(convert "$shot" -fill black -draw "rectangle $bx,$by $((bx + bw - 1)),$((by + bh - 1))" \
    -format '%[max]' info:)
  [ "$outside" = 0 ] || { echo "outside the ${bw}x$bh box at $bx,$by is not black"; return 1; }
  [ "$what" = bars ] && return 0
  convert "$shot" -crop "${bw}x$bh+$bx+$by" +repage "$work/box.png"
  local differing colours
  convert "$work/box.png" -sample '640x480!' "$work/sampled.png"
  differing=$(compare -metric AE "$work/sampled.png" "$expected" null: 2>&1)
  # Side by side; the shorter one is padded with a colour of the frame.
  colours=$(convert -background "$frame_corner" "$expected" "$work/box.png" +append -format '%k' info:)
  echo "box ${bw}x$bh at $bx,$by: sampled back, $differing pixels differ from the frame;" \
    "$((colours - frame_colours)) colours the frame lacks"
  [ "$differing" = 0 ] && [ "$colours" = "$frame_colours" ]
}

# Starts the show and waits for its title's frame rate (frame 15, a few
# milliseconds into the timeline; the clock of the looks starts there).
# Sets window, shown (ns) and home (its first geometry).
start_show() {
  if [ "$path" = texture ]; then
    SDL_RENDER_DRIVER=opengl ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$program" \
      >"$work/program.out" 2>&1 &
  else
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$program" >"$work/program.out" 2>&1 &
  fi
  demo_pid=$!
  window=$(brindlemox_window)
  [ -n "$window" ] || fail "no Brindlemox window with a frame rate appeared"
  shown=$(date +%s%N)
  home=$(geometry "$window")
  [[ "$home" == *" 640 480" ]] || fail "the window opened at $home, not 640x480"
  if [ "$path" = texture ]; then
    local visual
    visual=$(visual_of "$window")
    echo "the window's visual: $visual (a plain window's: $plain_visual)"
    [ -n "$visual" ] && [ "$visual" != "$plain_visual" ] ||
      fail "the window is not the texture path's OpenGL window"
  fi
  xdotool windowfocus "$window" || fail "cannot focus the window"
}

sleep_until() {  # MS after the frame rate first showed
  local wait_ms=$(($1 - ($(date +%s%N) - shown) / 1000000))
  [ "$wait_ms" -gt 0 ] && sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
}

# Looks at the still picture a few times, so that a busy machine cannot make
# the test miss it: READER FILE writes a screenshot; it must show the frame
# letterboxed in WIDTH x HEIGHT.
look_at_still_picture() {
  local reader=$1 width=$2 height=$3 at_ms
  for at_ms in 6200 6500 6800 7100 7400; do
    sleep_until "$at_ms"
    "$reader" "$work/shot-$at_ms.png" || fail "cannot read the screen back"
    echo "at about $at_ms ms:"
    check_letterboxed "$work/shot-$at_ms.png" "$width" "$height" && return 0
  done
  fail "the ${width}x$height picture never showed the captured frame letterboxed"
}
read_screen() { import -window root "$1" 2>/dev/null; }
read_window() { import -window "$window" "$1" 2>/dev/null; }

end_with_escape() {
  press_escape "$window" "$demo_pid"
  local pressed=$?
  [ "$pressed" -eq 0 ] || fail "Escape did not end the program ($pressed)"
  demo_pid=""
  [ "$escape_exit_code" = 0 ] || fail "the program exited with $escape_exit_code on Escape"
}

visual_of() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Visual: //p'; }

fullscreen="0 0 $screen_width $screen_height"
if [ "$path" = texture ]; then
  # The visual of the program's window on the surface path, for the texture
  # path's to differ from.
  path=surface start_show
  plain_visual=$(visual_of "$window")
  kill -TERM "$demo_pid"
  wait "$demo_pid"
  demo_pid=""
fi
if [ "$mode" = keys ]; then
  start_show
  sleep_until 4500
  xdotool key F11
  wait_for_geometry "$window" "$fullscreen" || fail "F11 did not make the window cover the screen"
  look_at_still_picture read_screen "$screen_width" "$screen_height"
  xdotool key F11
  wait_for_geometry "$window" "$home" || fail "F11 again did not bring back the window"
  xdotool key alt+Return
  wait_for_geometry "$window" "$fullscreen" || fail "Alt+Enter did not make the window cover the screen"
  sleep 0.3
  read_screen "$work/alt-enter.png"
  check_letterboxed "$work/alt-enter.png" "$screen_width" "$screen_height" bars ||
    fail "after Alt+Enter the screen is not letterboxed"
  xdotool key alt+Return
  wait_for_geometry "$window" "$home" || fail "Alt+Enter again did not bring back the window"
  xdotool key F11
  wait_for_geometry "$window" "$fullscreen" || fail "F11 did not make the window cover the screen"
  echo "F11 and Alt+Enter each went to fullscreen and back to $home"
  end_with_escape
  echo "Escape in fullscreen: exit code 0"
else
  start_show
  sleep_until 4500
  wmctrl -i -r "$window" -b add,fullscreen
  wait_for_geometry "$window" "$fullscreen" || fail "the window manager's fullscreen did not take"
  look_at_still_picture read_screen "$screen_width" "$screen_height"
  wmctrl -i -r "$window" -b remove,fullscreen
  wait_for_geometry "$window" "$home" || fail "the window did not come back from fullscreen"
  end_with_escape

  start_show
  sleep_until 4500
  wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
  wait_for_geometry "$window" "* * [0-9][0-9][0-9][0-9] [0-9]*" ||
    fail "the window manager did not make the window larger"
  read -r _ _ width height < <(geometry "$window")
  echo "maximised to ${width}x$height"
  look_at_still_picture read_window "$width" "$height"
  wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
  wait_for_geometry "$window" "$home" || fail "the window did not come back from maximised"
  end_with_escape
fi
echo "PASSED: $mode, $path, $size"
