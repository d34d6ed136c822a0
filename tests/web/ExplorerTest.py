#!/usr/bin/env python3
"""The explorer page (build-web/explore.html) in real Chromium: headless,
driven by chromedriver with real key presses, clicks, pointer moves and a
real download, served by scripts/serve-web.sh from 127.0.0.1 only.

usage: ExplorerTest.py BUILD_WEB_DIR NATIVE_CAPTURE_TOOL [BUNDLE_DIR]

What the page shows is held against the Linux capture tool (NATIVE_CAPTURE_TOOL,
run in its own folder, where it finds the picture): its raw frames, its PNG
files and its description of each frame and of one pixel (--describe,
--point), for the same frame rate, seed and frame.

BUNDLE_DIR is the web bundle's folder as a user unpacks it: served as it is
by Python's plain static server, its explorer must show the same frames.
"""
import base64
import glob
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from PageTest import (ROOT, WIDTH, HEIGHT, canvas_bytes_of_frame,  # noqa: E402
                      differing_pixels, start_chromium, start_servers,
                      stop_browser_and_servers)

FRAME_BYTES = WIDTH * HEIGHT * 4

# The canvas's RGBA bytes, base64.
READ_CANVAS = """
const canvas = document.getElementById('screen');
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
let text = '';
for (let i = 0; i < data.length; i += 0x8000)
  text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
return btoa(text);
"""


def frame_step(fps):
    """The capture tool's virtual clock: microseconds per frame."""
    return (1000000 + fps // 2) // fps


def frame_at(fps, ms):
    """The first frame whose timeline time is at or after ms."""
    return -(-ms * 1000 // frame_step(fps)) + 1


# Held frames: (fps, seed, timeline ms), in all four effects, at 60 and 37
# frames a second and with the seeds 1 and 4242 (the starfield's positions
# depend on it). Tile zoom: its first frame, growing, a millisecond short of
# whole, whole; starfield: its first frame (every star respawns) and later;
# plasma and metaballs at their starts and later.
HELD = [(60, 1, ms) for ms in (0, 3000, 5999, 7000, 8000, 12000, 17500, 21000, 26000, 33000)] + \
       [(37, 1, ms) for ms in (2500, 9000, 19000, 28000)] + \
       [(60, 4242, ms) for ms in (8000, 15000, 24000, 40000)] + \
       [(37, 4242, ms) for ms in (4000, 8500, 25000, 27000)]


class Native:
    """The Linux capture tool, run in its own folder (it finds the picture
    there), with its frames and descriptions kept by (fps, seed, frame)."""

    def __init__(self, tool, work):
        self.tool = os.path.abspath(tool)
        self.work = work
        self.frames = {}

    def run(self, *args, stdout=subprocess.PIPE):
        result = subprocess.run([self.tool, *args], cwd=os.path.dirname(self.tool),
                                stdout=stdout, stderr=subprocess.PIPE, check=False)
        if result.returncode != 0:
            raise AssertionError(f"brindlemox-capture {' '.join(args)} failed: "
                                 f"{result.stderr.decode(errors='replace')}")
        return result.stdout

    def raw_frames(self, fps, seed, frames):
        """{frame: bgr0 bytes} for those frames."""
        wanted = sorted(set(frames) - {k for (f, s, k) in self.frames if (f, s) == (fps, seed)})
        if wanted:
            raw = self.run("--fps", str(fps), "--seed", str(seed),
                           "--frames", ",".join(map(str, wanted)), "--raw")
            if len(raw) != FRAME_BYTES * len(wanted):
                raise AssertionError(f"the capture tool wrote {len(raw)} bytes for {len(wanted)} frames")
            for i, frame in enumerate(wanted):
                self.frames[(fps, seed, frame)] = raw[i * FRAME_BYTES:(i + 1) * FRAME_BYTES]
        return {k: self.frames[(fps, seed, k)] for k in frames}

    def png(self, fps, seed, frame):
        out = tempfile.mkdtemp(dir=self.work)
        self.run("--fps", str(fps), "--seed", str(seed), "--frames", str(frame), "--out", out,
                 stdout=subprocess.DEVNULL)
        with open(os.path.join(out, f"frame_{frame:06d}.png"), "rb") as f:
            return f.read()

    def describe(self, fps, seed, frame, x, y):
        """The tool's description of the frame and its readout of pixel (x, y):
        one JSON object per frame written, a line each."""
        path = os.path.join(tempfile.mkdtemp(dir=self.work), "describe.jsonl")
        self.run("--fps", str(fps), "--seed", str(seed), "--frames", str(frame),
                 "--describe", path, "--point", f"{x},{y}", "--raw", stdout=subprocess.DEVNULL)
        with open(path) as f:
            lines = [json.loads(line) for line in f if line.strip()]
        if len(lines) != 1:
            raise AssertionError(f"--describe wrote {len(lines)} lines for one frame")
        return lines[0]


class ExplorerTest(unittest.TestCase):
    build_dir = native_tool = bundle_dir = None

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="brindlemox-explorer.")
        cls.downloads = os.path.join(cls.work, "downloads")
        os.makedirs(cls.downloads)
        cls.native = Native(cls.native_tool, cls.work)
        (cls.server, cls.base), (cls.bundle_server, cls.bundle_base) = start_servers(
            cls.build_dir, cls.bundle_dir)
        cls.driver = start_chromium(
            cls.work, "1280,900", (cls.server, cls.bundle_server), browser_log=True,
            prefs={"download.default_directory": cls.downloads,
                   "download.prompt_for_download": False})
        cls.driver.execute_cdp_cmd("Page.setDownloadBehavior",
                                   {"behavior": "allow", "downloadPath": cls.downloads})

    @classmethod
    def tearDownClass(cls):
        stop_browser_and_servers(cls.driver, (cls.server, cls.bundle_server), cls.work)

    # Helpers.

    def page(self, expression):
        return self.driver.execute_script("return " + expression)

    def wait_for(self, expression, seconds=30, what=None):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = self.page(expression)
            if value:
                return value
            time.sleep(0.03)
        self.fail(f"waited {seconds} s for {what or expression}: "
                  f"errors {self.page('window.explorer && window.explorer.errors')}")

    def open(self, fragment="", base=None):
        """Opens the explorer afresh (a new document, not a move within it)."""
        self.driver.get("about:blank")
        url = (base or self.base) + "explore.html" + fragment
        self.assertTrue(url.startswith("http://127.0.0.1:"))
        self.driver.get(url)
        self.wait_for("window.explorer && (window.explorer.ready || window.explorer.failed)",
                      what="the explorer")
        self.assertIsNone(self.page("window.explorer.failed"))

    def open_frame(self, fps, seed, frame, base=None):
        self.open(f"#fps={fps}&seed={seed}&frame={frame}", base)
        self.wait_for_frame(frame)

    def wait_for_frame(self, frame):
        self.wait_for(f"window.explorer.frame === {frame}", what=f"frame {frame}")

    def canvas(self):
        return base64.b64decode(self.driver.execute_script(READ_CANVAS))

    def assert_canvas_is(self, raw, what):
        pixels = self.canvas()
        self.assertEqual(len(pixels), FRAME_BYTES)
        differing = differing_pixels(pixels, canvas_bytes_of_frame(raw))
        self.assertEqual(differing, 0, f"{what}: {differing} pixels differ from the capture tool's")

    def keys(self, *keys):
        chain = ActionChains(self.driver)
        for key in keys:
            chain.send_keys(key)
        chain.perform()

    def console_errors(self):
        # The favicon is another file's business; without it the browser
        # only says it is missing.
        no_icon = not os.path.exists(os.path.join(self.build_dir, "favicon.png"))
        return [entry for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"
                and not (no_icon and "favicon.png" in entry["message"])]

    def point_at(self, x, y):
        """Moves the mouse over the middle of the canvas's pixel (x, y), with
        Chromium's own input events (at fractions of a CSS pixel)."""
        box = self.page("document.getElementById('screen').getBoundingClientRect().toJSON()")
        self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
            "type": "mouseMoved", "button": "none",
            "x": box["left"] + (x + 0.5) * box["width"] / WIDTH,
            "y": box["top"] + (y + 0.5) * box["height"] / HEIGHT})
        self.wait_for(f"window.explorer.probe.x === {x} && window.explorer.probe.y === {y}",
                      what=f"the readout of pixel ({x}, {y})")

    def rect_of(self, element_id):
        return self.page(f"document.getElementById('{element_id}').getBoundingClientRect().toJSON()")

    # The tests.

    def test_links_show_the_capture_tools_frames_paused(self):
        groups = {}
        for fps, seed, ms in HELD:
            groups.setdefault((fps, seed), []).append(frame_at(fps, ms))
        self.assertGreaterEqual(sum(len(f) for f in groups.values()), 20)
        slots = set()
        for (fps, seed), frames in groups.items():
            native = self.native.raw_frames(fps, seed, frames)
            for frame in frames:
                with self.subTest(fps=fps, seed=seed, frame=frame):
                    self.open_frame(fps, seed, frame)
                    self.assert_canvas_is(native[frame], f"frame {frame} at {fps} fps, seed {seed}")
                    self.assertFalse(self.page("window.explorer.playing"), "a link plays")
                    time.sleep(0.1)
                    self.assertEqual(self.page("window.explorer.frame"), frame, "a link plays")
                    self.assertEqual(self.driver.find_element(By.ID, "frame-number").text, str(frame))
                    shown_ms = int(self.driver.find_element(By.ID, "time-ms").text)
                    self.assertEqual(shown_ms, (frame - 1) * frame_step(fps) // 1000)
                    slots.add(self.page("window.explorer.description.slot"))
                    self.assertEqual(self.page("location.hash"),
                                     f"#fps={fps}&seed={seed}&frame={frame}")
        self.assertEqual(slots, {0, 1, 2, 3})
        self.assertEqual(self.console_errors(), [])

    def test_ten_steps_forward_then_back_give_the_same_pixels_and_the_address_follows(self):
        # From the tile zoom's last frames over the starfield's first (where
        # every star respawns), and within the plasma; by keys and buttons.
        for fps, seed, start, by_keys in ((60, 1, frame_at(60, 7900), True),
                                          (37, 4242, frame_at(37, 8000) - 4, False),
                                          (60, 1, frame_at(60, 20000), True)):
            with self.subTest(fps=fps, seed=seed, start=start):
                native = self.native.raw_frames(fps, seed, [start, start + 10])
                self.open_frame(fps, seed, start)
                before = self.canvas()
                self.assertEqual(differing_pixels(before, canvas_bytes_of_frame(native[start])), 0)
                for _ in range(10):
                    if by_keys:
                        self.keys(Keys.ARROW_RIGHT)
                    else:
                        self.driver.find_element(By.ID, "forward").click()
                self.wait_for_frame(start + 10)
                self.assert_canvas_is(native[start + 10], "ten frames on")
                self.wait_for(f"location.hash === '#fps={fps}&seed={seed}&frame={start + 10}'",
                              what="the address after the steps")
                for _ in range(10):
                    if by_keys:
                        self.keys(Keys.ARROW_LEFT)
                    else:
                        self.driver.find_element(By.ID, "back").click()
                self.wait_for_frame(start)
                self.assertEqual(differing_pixels(self.canvas(), before), 0,
                                 "ten steps back do not give the first frame again")
                self.wait_for(f"location.hash === '#fps={fps}&seed={seed}&frame={start}'",
                              what="the address after the steps back")
        self.assertEqual(self.console_errors(), [])

    def test_dragging_the_timeline_raises_no_error_and_lands_on_the_exact_frame(self):
        self.open("#fps=60&seed=1&frame=1")
        self.wait_for_frame(1)
        self.driver.get_log("browser")  # what loading said
        timeline = self.driver.find_element(By.ID, "timeline")
        box = self.rect_of("timeline")
        drawn = self.page("window.explorer.framesDrawn")
        chain = ActionChains(self.driver, duration=10)
        chain.move_to_element_with_offset(timeline, int(-box["width"] / 2) + 2, 0).click_and_hold()
        for step in range(56):  # across the whole timeline and back into the plasma
            chain.move_by_offset(int(box["width"] / 40) * (1 if step < 38 else -1), 0)
        chain.release().perform()
        self.wait_for("!window.explorer.playing && window.explorer.frame > 1", what="a frame")
        time.sleep(0.2)
        frame = self.page("window.explorer.frame")
        self.assertGreater(self.page("window.explorer.framesDrawn") - drawn, 5,
                           "the drag redrew only a few times")
        self.assertEqual(self.page("window.explorer.errors"), [])
        self.assertEqual(self.console_errors(), [])
        ms = self.page("window.explorer.description.timelineMs")
        self.assertGreater(ms, 16000, "the drag did not go back into the plasma")
        self.assert_canvas_is(self.native.raw_frames(60, 1, [frame])[frame],
                              f"frame {frame} after the drag")
        # A click lands where it points: the middle of the timeline.
        ActionChains(self.driver).move_to_element(timeline).click().perform()
        middle = frame_at(60, round(self.page("window.explorer.timelineSpan()") / 2))
        self.wait_for(f"Math.abs(window.explorer.frame - {middle}) <= 2", what="the clicked frame")

    def test_point_readouts_and_descriptions_equal_the_native_ones(self):
        # A pixel of each effect; in the starfield one where a star is drawn
        # (found in the capture tool's frame) and one next to it.
        for fps, seed, ms, x, y in ((60, 1, 3000, 100, 100), (60, 1, 7000, 639, 479),
                                    (60, 4242, 9000, None, 0), (37, 1, 12000, None, 2),
                                    (37, 1, 12000, 320, 240),
                                    (60, 1, 17500, 67, 0), (37, 4242, 21000, 401, 233),
                                    (60, 1, 26000, 420, 300), (37, 1, 33000, 0, 0)):
            frame = frame_at(fps, ms)
            on_star = x is None and y == 0
            if x is None:
                raw = self.native.raw_frames(fps, seed, [frame])[frame]
                star = next(i for i in range(WIDTH * HEIGHT) if raw[4 * i:4 * i + 3] == b"\xff\xff\xff")
                x, y = star % WIDTH + y, star // WIDTH
            with self.subTest(fps=fps, seed=seed, frame=frame, x=x, y=y):
                native = self.native.describe(fps, seed, frame, x, y)
                point = native.pop("points")
                self.assertEqual(len(point), 1)
                self.open_frame(fps, seed, frame)
                self.point_at(x, y)
                self.assertEqual(self.page("window.explorer.point"), point[0])
                self.assertEqual(self.page("window.explorer.description"), native)
                self.assertEqual(native["frame"], frame)
                # The readout on the page shows the pixel.
                shown = self.driver.find_element(By.ID, "probe-values").text
                self.assertIn(point[0]["pixel"], shown)
                if on_star:
                    star = point[0]["effect"]["star"]
                    self.assertIsNotNone(star, "no star at a star's pixel")
                    self.assertEqual((star["column"], star["row"]), (x, y))
                    self.assertIn(f"star.index {star['index']}", shown)
        # The probe's fields do the same by keyboard alone.
        frame = frame_at(60, 17500)
        native = self.native.describe(60, 1, frame, 5, 7)
        self.open_frame(60, 1, frame)
        for field, value in (("probe-x", 5), ("probe-y", 7)):
            element = self.driver.find_element(By.ID, field)
            element.clear()
            element.send_keys(str(value))
        self.wait_for("window.explorer.probe.x === 5 && window.explorer.probe.y === 7",
                      what="the typed probe")
        self.assertEqual(self.page("window.explorer.point"), native["points"][0])

    def test_save_frame_downloads_the_capture_tools_png(self):
        for fps, seed, ms in ((60, 1, 17500), (37, 4242, 9000)):
            frame = frame_at(fps, ms)
            with self.subTest(fps=fps, seed=seed, frame=frame):
                for old in glob.glob(os.path.join(self.downloads, "*")):
                    os.remove(old)
                self.open_frame(fps, seed, frame)
                self.driver.find_element(By.ID, "save").click()
                path = os.path.join(self.downloads, f"frame_{frame:06d}.png")
                deadline = time.monotonic() + 20
                while not os.path.exists(path) and time.monotonic() < deadline:
                    time.sleep(0.05)
                self.assertTrue(os.path.exists(path), f"no download: {os.listdir(self.downloads)}")
                time.sleep(0.2)
                with open(path, "rb") as f:
                    saved = f.read()
                self.assertEqual(saved, self.native.png(fps, seed, frame),
                                 "the saved PNG is not the capture tool's, byte for byte")

    def test_keys_play_pause_jump_speed_and_loop(self):
        self.open("#fps=60&seed=1&frame=100")
        self.wait_for_frame(100)
        self.driver.find_element(By.TAG_NAME, "body").click()
        timeline = self.page("window.explorer.timeline")
        self.assertEqual([w["slot"] for w in timeline], [0, 1, 2, 3])
        # 1 to 4: each effect's first frame, paused as it was.
        for w in timeline:
            self.keys(str(w["slot"] + 1))
            first = frame_at(60, w["startMs"])
            self.wait_for_frame(first)
            self.assertEqual(self.page("window.explorer.description.slot"), w["slot"])
            self.assertEqual(self.driver.find_element(By.ID, "effect-name").text, w["name"])
        # Space plays, Space again pauses and the frame stays.
        self.keys("3", " ")
        self.wait_for(f"window.explorer.frame > {frame_at(60, 16000) + 3}", what="playing")
        self.keys(" ")
        self.wait_for("!window.explorer.playing", what="the pause")
        held = self.page("window.explorer.frame")
        time.sleep(0.3)
        self.assertEqual(self.page("window.explorer.frame"), held)
        self.assertEqual(self.page("location.hash"), f"#fps=60&seed=1&frame={held}")
        # S cycles the speeds; L loops the effect: playing from its last frame
        # goes on at its first.
        self.keys("s")
        self.assertEqual(self.page("window.explorer.speed"), 2)
        self.keys("s")
        self.assertEqual(self.page("window.explorer.speed"), 0.25)
        self.driver.find_element(By.ID, "speed").send_keys("1")
        self.driver.find_element(By.TAG_NAME, "body").click()
        self.keys("l")
        self.assertTrue(self.page("window.explorer.loop"))
        last = frame_at(60, 26000) - 1
        self.open(f"#fps=60&seed=1&frame={last - 5}")
        self.wait_for_frame(last - 5)
        self.driver.find_element(By.ID, "loop").click()
        self.driver.find_element(By.ID, "play").click()
        self.wait_for(f"window.explorer.frame < {last - 5}", what="the loop back to the start")
        self.assertEqual(self.page("window.explorer.description.slot"), 2)
        self.driver.find_element(By.ID, "play").click()
        self.assertFalse(self.page("window.explorer.playing"))
        self.assertEqual(self.page("window.explorer.errors"), [])

    def test_frame_rate_and_seed_fields_reopen_the_show_at_the_same_time(self):
        self.open("#fps=60&seed=1&frame=" + str(frame_at(60, 12000)))
        self.wait_for_frame(frame_at(60, 12000))
        fps = self.driver.find_element(By.ID, "fps")
        fps.clear()
        fps.send_keys("120", Keys.TAB)
        self.wait_for("window.explorer.fps === 120", what="the new frame rate")
        frame = frame_at(120, 12000)
        self.wait_for_frame(frame)
        self.wait_for(f"location.hash === '#fps=120&seed=1&frame={frame}'", what="the address")
        self.assert_canvas_is(self.native.raw_frames(120, 1, [frame])[frame], "at 120 fps")
        seed = self.driver.find_element(By.ID, "seed")
        seed.clear()
        seed.send_keys("7", Keys.TAB)
        self.wait_for("window.explorer.seed === 7", what="the new seed")
        self.wait_for_frame(frame)
        self.assert_canvas_is(self.native.raw_frames(120, 7, [frame])[frame], "with seed 7")
        # A bad value is refused in words and changes nothing.
        fps.clear()
        fps.send_keys("0", Keys.TAB)
        self.wait_for("/whole number from 1 to 1000/.test(document.getElementById('status').textContent)",
                      what="the refusal")
        self.assertEqual(self.page("window.explorer.fps"), 120)
        # So is a bad address.
        self.open("#fps=5000&seed=x&frame=0")
        self.assertEqual(self.page("[window.explorer.fps, window.explorer.seed]"), [60, 1])
        self.wait_for_frame(1)
        self.assertIn("fps=5000", self.driver.find_element(By.ID, "status").text)

    def test_layout_beside_on_a_wide_screen_below_on_a_phone_and_no_network(self):
        for width, height, ratio, mobile in ((1920, 1080, 1, False), (390, 844, 3, True)):
            with self.subTest(f"{width}x{height}"):
                self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": mobile})
                try:
                    self.open("#fps=60&seed=1&frame=" + str(frame_at(60, 17500)))
                    self.wait_for_frame(frame_at(60, 17500))
                    canvas = self.rect_of("screen")
                    panel = self.rect_of("panel")
                    self.assertAlmostEqual(canvas["width"] * 3, canvas["height"] * 4, delta=4)
                    self.assertGreaterEqual(canvas["left"], 0)
                    self.assertLessEqual(canvas["right"], width + 0.5)
                    self.assertEqual(self.page("getComputedStyle(document.getElementById('screen'))"
                                               ".imageRendering"), "pixelated")
                    if width > 1000:
                        self.assertGreaterEqual(panel["left"], canvas["right"], "panel beside")
                        self.assertLessEqual(panel["right"], width + 0.5)
                        # The picture and the transport fit the window's height.
                        self.assertLessEqual(self.rect_of("timeline")["bottom"], height)
                        self.assertGreater(canvas["width"], 1100, "the picture is not large")
                    else:
                        self.assertGreaterEqual(panel["top"], canvas["bottom"], "panel below")
                        self.assertGreater(canvas["width"], width - 20)
                    self.assertEqual(self.page("document.documentElement.scrollWidth"), width,
                                     "the page is wider than the window")
                    # The plasma's panel is the one shown, with its formulas.
                    self.assertEqual(self.page(
                        "[...document.querySelectorAll('article.effect')].filter(a => !a.hidden)"
                        ".map(a => a.dataset.slot)"), ["2"])
                    self.assertGreater(self.page(
                        "document.querySelector('article[data-slot=\"2\"]')"
                        ".querySelectorAll('math').length"), 5)
                finally:
                    self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        # Everything the page loaded came from where it was served.
        sources = self.page("performance.getEntriesByType('resource').map(e => e.name)")
        self.assertTrue(sources)
        for source in sources:
            self.assertTrue(source.startswith(self.base), source)
        self.assertEqual(self.console_errors(), [])


    def test_bundle_from_a_plain_static_server_shows_the_same_frames(self):
        if not self.bundle_base:
            self.skipTest("no bundle given")
        # From the show's page there, by its link.
        self.driver.get(self.bundle_base)
        self.driver.find_element(By.ID, "explore").click()
        self.wait_for("window.explorer && window.explorer.ready", what="the explorer from the show")
        self.assertEqual(self.page("location.href"), self.bundle_base + "explore.html" +
                         self.page("location.hash"))
        for fps, seed, ms in ((60, 1, 7000), (37, 4242, 9000), (60, 1, 17500), (37, 1, 30000)):
            frame = frame_at(fps, ms)
            with self.subTest(fps=fps, seed=seed, frame=frame):
                self.open_frame(fps, seed, frame, self.bundle_base)
                self.assert_canvas_is(self.native.raw_frames(fps, seed, [frame])[frame],
                                      f"the bundle's frame {frame} at {fps} fps, seed {seed}")
        sources = self.page("performance.getEntriesByType('resource').map(e => e.name)")
        for source in sources:
            self.assertTrue(source.startswith(self.bundle_base), source)


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    ExplorerTest.build_dir = os.path.abspath(sys.argv[1])
    ExplorerTest.native_tool = os.path.abspath(sys.argv[2])
    if len(sys.argv) == 4:
        ExplorerTest.bundle_dir = os.path.abspath(sys.argv[3])
    for needed in ("explore.html", "explore.js", "explore.css", "explorer.js", "explorer.wasm"):
        if not os.path.exists(os.path.join(ExplorerTest.build_dir, needed)):
            raise SystemExit(f"ExplorerTest: {needed} is not in {ExplorerTest.build_dir}")
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
