#!/usr/bin/env bash
# The capture tool stopped by SIGTERM or SIGINT while it writes its frames,
# again and again at moments chosen at random: each time it ends by that
# signal (status 128 + the signal's number), no unfinished
# frame_NNNNNN.png.partial is left, and every frame file it left is a whole
# PNG (it ends with the IEND chunk). A frame's file is written whole under
# FILE.partial and renamed; a signal between the two used to leave the
# partial file behind, in about one try of twenty.
#
#   capture-interrupted.sh CAPTURE [TRIES]
# TRIES (default 40) for each of the two signals.
set -uo pipefail
capture=$1
tries=${2:-40}
# A job started in the background by a script ignores SIGINT, and so does
# everything it starts (a shell started with a signal ignored cannot take
# it back), and the tool leaves a signal ignored on entry ignored, as it
# should. Each run of the tool gets SIGINT's default back first, as a
# terminal's foreground job has it, however this test was started.
# It becomes the tool itself (exec), so that the signals reach the tool.
# (Debian's essential perl, which execs at once, rather than a python that
# may be a wrapper script.)
with_default_sigint() {
  exec perl -e '$SIG{INT} = "DEFAULT"; exec { $ARGV[0] } @ARGV or die "cannot start $ARGV[0]: $!\n"' "$@"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The bytes every PNG file ends with: the IEND chunk, empty, and its CRC.
iend=$(printf 'IEND\xaeB`\x82' | od -An -tx1 | tr -d ' \n')

declare -A number=([TERM]=15 [INT]=2)
left_partial=0
for signal in TERM INT; do
  for try in $(seq "$tries"); do
    dir=$work/frames-$signal-$try
    with_default_sigint "$capture" --fps 60 --duration 600000 --allow-missing-picture \
      --out "$dir" </dev/null >/dev/null 2>"$work/err" &
    pid=$!
    # Once the first frame is there the tool writes one after another; the
    # signal comes some time into that, 0 to 0.3 s.
    for _ in $(seq 300); do
      compgen -G "$dir/frame_*.png" >/dev/null && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.01
    done
    compgen -G "$dir/frame_*.png" >/dev/null ||
      { kill -KILL "$pid" 2>/dev/null; fail "$signal try $try: no frame written in 3 s: $(cat "$work/err")"; }
    sleep "0.$(printf '%03d' $((RANDOM % 300)))"
    kill -"$signal" "$pid"
    wait "$pid"
    status=$?
    [ "$status" -eq $((128 + number[$signal])) ] ||
      fail "$signal try $try: status $status, not $((128 + number[$signal])): $(cat "$work/err")"
    if compgen -G "$dir/*.partial" >/dev/null; then
      echo "$signal try $try: left $(cd "$dir" && echo *.partial)"
      left_partial=$((left_partial + 1))
    fi
    for file in "$dir"/frame_*.png; do
      [ "$(tail -c 8 "$file" | od -An -tx1 | tr -d ' \n')" = "$iend" ] ||
        fail "$signal try $try: $(basename "$file") is not a whole PNG file"
    done
    rm -rf "$dir"
  done
done
[ "$left_partial" -eq 0 ] || fail "$left_partial of $((2 * tries)) tries left a partial file"
echo "PASSED: $((2 * tries)) tries, SIGTERM and SIGINT each $tries times: status 128 + signal," \
     "no partial file, every frame file whole"
