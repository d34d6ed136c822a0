#!/usr/bin/env bash
# The explorer's seek benchmark (a measurement, not a test): headless
# Chromium opens build-web/explore.html, served from 127.0.0.1 only, and
#   1. shows SEEKS random frames of the first 60 s at 60 fps, one after the
#      other (frames drawn from a fixed seed, so every run asks for the same
#      ones), and reports the median and the worst time to show a frame: from
#      the request to the canvas and the panel holding it, as the page times
#      it (replay from the nearest snapshot, pixels, description, panel);
#   2. opens links to random frames afresh and reports the time from the
#      start of loading to the frame on screen (module load included);
#   3. drags the timeline with the mouse (Chromium's own input events, as
#      fast as the driver sends them) for DRAG_SECONDS and reports the
#      redraws a second and how many of the input's positions were drawn,
#      and the same with a stream of pointer events sent by the page itself,
#      250 a second (so that the input never holds the drawing back);
#   4. reports the snapshots' memory (ExplorerSnapshotBytes) after the seeks.
# The seeks start once the page has taken its snapshots of the first minute
# (it does so in idle moments after opening; the time it took is printed).
# Goals: 50 ms to show a frame, 20 redraws a second, 64 MB of snapshots.
#   usage: bench-explorer.sh [SEEKS [DRAG_SECONDS]]   (default 200 and 5)
# Needs the web build (scripts/build-web.sh); installs Chromium and its
# driver if they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
seeks=${1:-200}
drag_seconds=${2:-5}
[[ "$seeks" =~ ^[0-9]+$ ]] && [ "$seeks" -ge 1 ] || { echo "bench-explorer: bad SEEKS '$seeks'" >&2; exit 2; }
[[ "$drag_seconds" =~ ^[0-9]+$ ]] && [ "$drag_seconds" -ge 1 ] ||
  { echo "bench-explorer: bad DRAG_SECONDS '$drag_seconds'" >&2; exit 2; }
[ -f build-web/explore.html ] && [ -f build-web/explorer.wasm ] ||
  { echo "bench-explorer: no explorer in build-web/; make it with: bash scripts/build-web.sh" >&2; exit 1; }
ensure_packages chromium chromium-driver python3-selenium

exec /usr/bin/python3 - "$seeks" "$drag_seconds" <<'PYTHON'
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

seeks, drag_seconds = int(sys.argv[1]), int(sys.argv[2])
FPS = 60
LAST_FRAME = 60 * FPS  # the first 60 s


def start_server():
    server = subprocess.Popen(["bash", "scripts/serve-web.sh", "0", "build-web"],
                              stdout=subprocess.PIPE, text=True)
    match = re.search(r"(http://127\.0\.0\.1:\d+/)", server.stdout.readline())
    if not match:
        server.kill()
        raise SystemExit("bench-explorer: the server did not start")
    return server, match.group(1)


def wait_for(driver, expression, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = driver.execute_script("return " + expression)
        if value:
            return value
        time.sleep(0.005)
    raise SystemExit(f"bench-explorer: waited {seconds} s for {expression}")


work = tempfile.mkdtemp(prefix="brindlemox-bench-explorer.")
server, base = start_server()
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--window-size=1920,1080",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--disable-quic", "--disable-default-apps", "--disable-extensions",
             "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
             f"--user-data-dir={os.path.join(work, 'profile')}"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    rng = random.Random(2026)
    driver.get(base + "explore.html#fps=60&seed=1&frame=1")
    wait_for(driver, "window.explorer && window.explorer.ready && window.explorer.frame === 1")
    # The page takes its snapshots of the first minute in idle moments after
    # it opens; the seeks below start once that is done, as a user's would a
    # moment after opening.
    prepare_started = time.monotonic()
    wait_for(driver, f"window.explorer.preparedUntil >= {LAST_FRAME + 1}", seconds=300)
    prepared_in = time.monotonic() - prepare_started

    # 1. Seeks within the page.
    times = []
    parts = []
    for frame in [rng.randint(1, LAST_FRAME) for _ in range(seeks)]:
        times.append(driver.execute_script("return window.explorer.showNow(arguments[0])", frame))
        parts.append(driver.execute_script("return window.explorer.lastDrawParts"))
        if driver.execute_script("return window.explorer.frame") != frame:
            raise SystemExit(f"bench-explorer: frame {frame} was not shown")
    errors = driver.execute_script("return window.explorer.errors")
    if errors:
        raise SystemExit(f"bench-explorer: the page reported {errors}")
    # The snapshots then: the whole first minute.
    snapshot_bytes = driver.execute_script("return window.explorer.snapshotBytes()")
    snapshot_count = driver.execute_script("return window.explorer.snapshotCount()")

    # 2. Links opened afresh.
    opened = []
    for frame in [rng.randint(1, LAST_FRAME) for _ in range(10)]:
        driver.get("about:blank")
        driver.get(f"{base}explore.html#fps=60&seed=1&frame={frame}")
        wait_for(driver, f"window.explorer && window.explorer.frame === {frame}")
        opened.append(driver.execute_script("return window.explorer.firstFrameAt"))

    # 3. Dragging the timeline with the mouse, in the plasma and metaballs
    # and back over the others.
    box = driver.execute_script(
        "return document.getElementById('timeline').getBoundingClientRect().toJSON()")
    y = box["top"] + box["height"] / 2
    mouse = lambda kind, x, buttons: driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
        "type": kind, "x": x, "y": y, "button": "left", "buttons": buttons, "clickCount": 1})
    drawn_before = driver.execute_script("return window.explorer.framesDrawn")
    mouse("mouseMoved", box["left"] + 2, 0)
    mouse("mousePressed", box["left"] + 2, 1)
    moves = 0
    started = time.monotonic()
    while time.monotonic() - started < drag_seconds:
        x = box["left"] + 1 + rng.random() * (box["width"] - 2)
        mouse("mouseMoved", x, 1)
        moves += 1
    mouse("mouseReleased", x, 0)
    elapsed = time.monotonic() - started
    time.sleep(0.2)
    drawn = driver.execute_script("return window.explorer.framesDrawn") - drawn_before
    errors = driver.execute_script("return window.explorer.errors")
    if errors:
        raise SystemExit(f"bench-explorer: the page reported {errors} while dragging")

    # 3b. The same drag as a stream of pointer events sent by the page to
    # itself, 250 a second, faster than the screen refreshes: how many
    # frames the page draws when input is never what holds it back.
    stream = driver.execute_async_script('''
      const [seconds, seed, done] = arguments;
      const timeline = document.getElementById('timeline');
      const box = timeline.getBoundingClientRect();
      const y = box.top + box.height / 2;
      let state = seed;
      const next = () => (state = (state * 1103515245 + 12345) % 2147483648) / 2147483648;
      const send = (type, x) => timeline.dispatchEvent(new PointerEvent(type, {
        bubbles: true, clientX: x, clientY: y, button: 0, buttons: type === 'pointerup' ? 0 : 1,
        pointerId: 1, pointerType: 'mouse', isPrimary: true}));
      const before = window.explorer.framesDrawn;
      const started = performance.now();
      let moves = 0;
      send('pointerdown', box.left + 2);
      const timer = setInterval(() => {
        if (performance.now() - started >= seconds * 1000) {
          clearInterval(timer);
          send('pointerup', box.left + 2);
          const elapsed = (performance.now() - started) / 1000;
          setTimeout(() => done({drawn: window.explorer.framesDrawn - before, moves, elapsed,
                                 errors: window.explorer.errors}), 100);
          return;
        }
        send('pointermove', box.left + 1 + next() * (box.width - 2));
        moves++;
      }, 4);''', drag_seconds, 7)
    if stream["errors"]:
        raise SystemExit(f"bench-explorer: the page reported {stream['errors']} while dragging")

finally:
    driver.quit()
    server.terminate()
    server.wait(10)
    shutil.rmtree(work, ignore_errors=True)

ordered = sorted(times)
print(f"snapshots of the first minute taken in {prepared_in:.1f} s after the page opened")
print(f"seeks within the page: {len(times)} random frames of the first 60 s at {FPS} fps")
print(f"  time to show a frame: median {statistics.median(times):.1f} ms, "
      f"worst {max(times):.1f} ms, 90th percentile {ordered[int(0.9 * (len(ordered) - 1))]:.1f} ms "
      f"(goal 50 ms)")
print(f"  {sum(t > 50 for t in times)} of {len(times)} over 50 ms, "
      f"99th percentile {ordered[int(0.99 * (len(ordered) - 1))]:.1f} ms")
print("  of which, median: " + ", ".join(
    f"{name} {statistics.median(p[name] for p in parts):.1f} ms"
    for name in ("replay", "pixels", "panel")) + " (replay from the snapshot, pixels onto the "
    "canvas, descriptions and panel)")
print(f"links opened afresh: {len(opened)}, from loading to the frame shown: "
      f"median {statistics.median(opened):.0f} ms, worst {max(opened):.0f} ms")
print(f"dragging: {drawn / elapsed:.1f} redraws a second over {elapsed:.1f} s "
      f"({moves} mouse moves, {moves / elapsed:.0f} a second) (goal 20)")
print(f"dragging by a stream of pointer events: {stream['drawn'] / stream['elapsed']:.1f} redraws "
      f"a second ({stream['moves'] / stream['elapsed']:.0f} moves a second)")
print(f"snapshots: {snapshot_count}, {snapshot_bytes / 1048576:.1f} MB (goal 64 MB)")
print(f"machine: {os.cpu_count()} cores, load average {os.getloadavg()[0]:.1f} at the end")
PYTHON
