# Sourced by the stages that hold another build's frames against Linux's.
#
# compare_with_linux WORK FPS SEED LABEL COMMAND [LABEL COMMAND]...: runs the
# Linux capture tool (build/) once over the whole show and six seconds more
# of its last effect, raw, and each COMMAND with the same capture options
# appended (a line of bash, run in a shell of its own: "cd build-web && exec
# node brindlemox-capture.js"), and compares every COMMAND's frames with the
# Linux frames as they come (scripts/compare-frames.py), through named pipes
# in the folder WORK. Prints one line a comparison; returns non-zero, with
# the reasons on standard error, when any frames differ or any capture failed.
compare_with_linux() {
  local work=$1 fps=$2 seed=$3
  shift 3
  local capture=(--fps "$fps" --seed "$seed" --duration 36000 --raw)
  local began=$SECONDS n=0 feeds=() pids=() labels=() names=()
  while [ $# -ge 2 ]; do
    local label=$1 command=$2
    shift 2
    mkfifo "$work/linux-$n.raw" "$work/other-$n.raw"
    bash -c "$command \"\$@\"" capture "${capture[@]}" >"$work/other-$n.raw" &
    pids+=($!)
    labels+=("the $label capture")
    python3 scripts/compare-frames.py --label "$label at $fps fps, seed $seed" \
      "$work/linux-$n.raw" "$work/other-$n.raw" >"$work/compare-$n.log" &
    pids+=($!)
    labels+=("the $label comparison")
    feeds+=("$work/linux-$n.raw")
    names+=("$label")
    n=$((n + 1))
  done
  local linux_result=0
  (cd build && exec ./brindlemox-capture "${capture[@]}") | tee "${feeds[@]}" >/dev/null ||
    linux_result=$?
  local i failed=()
  for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed+=("${labels[$i]}"); done
  for i in "${!names[@]}"; do
    echo "${names[$i]} at $fps fps, seed $seed: $(tail -1 "$work/compare-$i.log")" \
         "($((SECONDS - began)) s)"
    grep -v 'frames compared' "$work/compare-$i.log" || true
    rm -f "$work/linux-$i.raw" "$work/other-$i.raw" "$work/compare-$i.log"
  done
  [ "$linux_result" -eq 0 ] || failed+=("the Linux capture")
  [ "${#failed[@]}" -eq 0 ] && return 0
  echo "at $fps fps, seed $seed: ${failed[*]} failed" >&2
  return 1
}
