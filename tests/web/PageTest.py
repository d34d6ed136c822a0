#!/usr/bin/env python3
"""The web build's page in real Chromium: headless, driven by chromedriver
with real key presses, clicks and screenshots, and served by
scripts/serve-web.sh from 127.0.0.1 only.

usage: PageTest.py BUILD_WEB_DIR PICTURE_FRAME BLACK_FRAME [BUNDLE_DIR]

PICTURE_FRAME and BLACK_FRAME are the capture tool's raw frames (640x480 bgr0)
at 7000 ms on the timeline, with the picture and without it: the tile zoom
then shows the whole picture, unscaled, from 6000 ms to 8000 ms, and the page's
canvas must hold exactly those pixels in that time.

The tests watch the page the build makes for them, BUILD_WEB_DIR/page-test:
the same page and program with their observer built in, which journals the
stop, and their watch over the page, which counts the frames. It is served in
five folders: "show" (as it is), "nopicture" (without pvn_quad.png),
"nodevice" (a page whose canvas has handed its drawing to an OffscreenCanvas
before the program starts, so that the program gets no 2D context and its
device cannot be made), "noscript" (without brindlemox.js) and "nomodule"
(without brindlemox.wasm). The page as shipped, BUILD_WEB_DIR itself, is served
in "shipped": it must show the show and keep no record for tests.

BUNDLE_DIR is the web bundle's folder as a user unpacks it: it is served as
it is by Python's plain static server, which knows nothing of the program,
and must play the show there too.
"""
import base64
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

WIDTH, HEIGHT = 640, 480
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAGE_FILES = ("index.html", "brindlemox.js", "brindlemox.wasm", "pvn_quad.png", "favicon.png")
TITLE = re.compile(r"^Brindlemox :: (\d+) fps   $")
STOP = ["WM_CLOSE", "device closed", "WM_DESTROY", "WM_QUIT 0", "ended 0"]

# The tile zoom shows the whole picture from 6000 ms of its own clock until
# the starfield takes over at 8000 ms on the timeline. Both clocks start
# within a few milliseconds of the first frame.
WHOLE_PICTURE_FROM_MS = 6100
WHOLE_PICTURE_UNTIL_MS = 7900

# Reads the canvas in the page, with the time of the frame it shows, once the
# show has run long enough; null before.
READ_CANVAS = """
const page = arguments[1] ? window.outsideWatch : window.brindlemox;
if (!page || page.firstFrameAt === null || page.lastFrameAt - page.firstFrameAt < arguments[0])
  return null;
const canvas = document.getElementById('screen');
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
let text = '';
for (let i = 0; i < data.length; i += 0x8000)
  text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
return {pixels: btoa(text), shownAt: page.lastFrameAt - page.firstFrameAt,
        width: canvas.width, height: canvas.height};
"""


# The same times for a page that keeps none (the page as shipped), watched
# from outside: run before any script of the page.
OUTSIDE_WATCH = """
window.outsideWatch = {framesPresented: 0, firstFrameAt: null, lastFrameAt: null};
const putImageData = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...args) {
  putImageData.apply(this, args);
  const watch = window.outsideWatch;
  watch.framesPresented++;
  watch.lastFrameAt = performance.now();
  if (watch.firstFrameAt === null) watch.firstFrameAt = watch.lastFrameAt;
};
"""


# Checks a screenshot of the page (base64 PNG, device pixels) against the
# frame the canvas holds (base64 RGBA): inside the canvas's box every pixel is
# a colour of the frame (nothing smoothed), and the middle of each frame
# pixel's block is that pixel. Which of two frame pixels a device pixel
# exactly on their border takes is left open, and so is the box's outermost
# ring of device pixels.
CHECK_BLOCKS = """
const [png, frameBase64, done] = [arguments[0], arguments[1], arguments[arguments.length - 1]];
(async () => {
  const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
  const bitmap = await createImageBitmap(new Blob([bytes], {type: 'image/png'}),
                                         {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
  const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
  const context = canvas.getContext('2d');
  context.drawImage(bitmap, 0, 0);
  const shot = new Uint32Array(context.getImageData(0, 0, bitmap.width, bitmap.height).data.buffer);
  const frame = new Uint32Array(Uint8Array.from(atob(frameBase64), (c) => c.charCodeAt(0)).buffer);
  const colours = new Set(frame);
  const ratio = window.devicePixelRatio;
  const rect = document.getElementById('screen').getBoundingClientRect();
  const x0 = Math.round(rect.left * ratio), x1 = Math.round(rect.right * ratio);
  const y0 = Math.round(rect.top * ratio), y1 = Math.round(rect.bottom * ratio);
  let foreign = 0, misplaced = 0;
  for (let y = y0 + 1; y < y1 - 1; y++)
    for (let x = x0 + 1; x < x1 - 1; x++)
      if (!colours.has(shot[y * bitmap.width + x])) foreign++;
  for (let fy = 0; fy < 480; fy++)
    for (let fx = 0; fx < 640; fx++) {
      const x = Math.floor(x0 + (fx + 0.5) * (x1 - x0) / 640);
      const y = Math.floor(y0 + (fy + 0.5) * (y1 - y0) / 480);
      if (shot[y * bitmap.width + x] !== frame[fy * 640 + fx]) misplaced++;
    }
  return {shot: [bitmap.width, bitmap.height], box: [x0, y0, x1 - x0, y1 - y0], foreign, misplaced};
})().then(done, (error) => done({error: String(error)}));
"""


def canvas_bytes_of_frame(raw):
    """The canvas's RGBA bytes for a capture frame of bgr0 pixels."""
    if len(raw) != WIDTH * HEIGHT * 4:
        raise SystemExit(f"a reference frame has {len(raw)} bytes, not {WIDTH * HEIGHT * 4}")
    rgba = bytearray(len(raw))
    rgba[0::4] = raw[2::4]
    rgba[1::4] = raw[1::4]
    rgba[2::4] = raw[0::4]
    rgba[3::4] = b"\xff" * (WIDTH * HEIGHT)
    return bytes(rgba)


def differing_pixels(a, b):
    return sum(1 for i in range(0, len(a), 4) if a[i:i + 4] != b[i:i + 4])


def start_server(command, stderr=None):
    """Starts a web server that prints its 127.0.0.1 address on its first
    line; returns the process and that address."""
    server = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=stderr, text=True)
    line = server.stdout.readline()
    match = re.search(r"(http://127\.0\.0\.1:\d+/)", line)
    if not match:
        server.kill()
        raise SystemExit(f"{command[0]} did not print a 127.0.0.1 address: {line!r}")
    return server, match.group(1)


def stop_server(server):
    server.terminate()
    server.wait(10)


def start_servers(build_dir, bundle_dir):
    """The build's folder from scripts/serve-web.sh and, when there is one,
    the unpacked bundle from Python's plain static server: (server, address)
    for each, (None, None) for a bundle not given."""
    server, base = start_server(
        ["bash", os.path.join(ROOT, "scripts", "serve-web.sh"), "0", build_dir])
    if not bundle_dir:
        return (server, base), (None, None)
    try:
        bundle = start_server(
            [sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1",
             "--directory", bundle_dir, "0"],
            stderr=subprocess.DEVNULL)  # its log of every request
    except BaseException:
        stop_server(server)
        raise
    return (server, base), bundle


def start_chromium(work, window_size, servers, prefs=None, browser_log=False):
    """Headless Chromium with nothing of its own reaching the network: every
    host but 127.0.0.1 unresolvable, a fresh profile in `work`. Kills the
    servers when it cannot start."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", f"--window-size={window_size}",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--no-first-run", "--disable-quic",
                 "--disable-default-apps", "--disable-extensions",
                 "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
                 f"--user-data-dir={os.path.join(work, 'profile')}"):
        options.add_argument(flag)
    if prefs:
        options.add_experimental_option("prefs", prefs)
    if browser_log:
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    try:
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    except Exception:
        for server in servers:
            if server:
                server.kill()
        raise
    driver.set_script_timeout(30)
    return driver


def stop_browser_and_servers(driver, servers, work):
    driver.quit()
    for server in servers:
        if server:
            stop_server(server)
    shutil.rmtree(work, ignore_errors=True)


class PageTest(unittest.TestCase):
    build_dir = picture_frame = black_frame = bundle_dir = None

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="brindlemox-page.")
        served = os.path.join(cls.work, "served")
        test_page = os.path.join(cls.build_dir, "page-test")
        without = lambda name: tuple(f for f in PAGE_FILES if f != name)
        for folder, origin, files in (("show", test_page, PAGE_FILES),
                                      ("nopicture", test_page, without("pvn_quad.png")),
                                      ("nodevice", test_page, PAGE_FILES),
                                      ("noscript", test_page, without("brindlemox.js")),
                                      ("nomodule", test_page, without("brindlemox.wasm")),
                                      ("shipped", cls.build_dir, PAGE_FILES)):
            os.makedirs(os.path.join(served, folder))
            for name in files:
                os.symlink(os.path.join(origin, name), os.path.join(served, folder, name))
        page = os.path.join(served, "nodevice", "index.html")
        with open(os.path.join(test_page, "index.html")) as f:
            html = f.read()
        program = '<script src="brindlemox.js"'
        assert program in html
        os.remove(page)
        with open(page, "w") as f:
            f.write(html.replace(program, "<script>document.getElementById('screen')"
                                 ".transferControlToOffscreen();</script>\n" + program))

        (cls.server, cls.base), (cls.bundle_server, cls.bundle_base) = start_servers(
            served, cls.bundle_dir)
        cls.driver = start_chromium(cls.work, "1024,768", (cls.server, cls.bundle_server))

    @classmethod
    def tearDownClass(cls):
        stop_browser_and_servers(cls.driver, (cls.server, cls.bundle_server), cls.work)

    # Helpers.

    def open(self, folder, base=None):
        url = (base or self.base) + folder + ("/" if folder else "")
        self.assertTrue(url.startswith("http://127.0.0.1:"))
        self.driver.get(url)

    def page(self, expression):
        return self.driver.execute_script("return " + expression)

    def wait_for(self, expression, seconds=20, what=None):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = self.page(expression)
            if value:
                return value
            time.sleep(0.05)
        self.fail(f"waited {seconds} s for {what or expression}")

    def wait_for_frames(self, count):
        self.wait_for(f"window.brindlemox && window.brindlemox.framesPresented >= {count}",
                      what=f"{count} frames")

    def read_whole_picture(self, outside=False):
        """The canvas while the tile zoom shows the whole picture; with outside,
        timed by the outside watch."""
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            shot = self.driver.execute_script(READ_CANVAS, WHOLE_PICTURE_FROM_MS, outside)
            if shot:
                self.assertLess(shot["shownAt"], WHOLE_PICTURE_UNTIL_MS,
                                "the page was read too late to see the tile zoom")
                self.assertEqual((shot["width"], shot["height"]), (WIDTH, HEIGHT))
                return base64.b64decode(shot["pixels"])
            time.sleep(0.02)
        self.fail("the show did not reach the whole picture")

    def journal(self):
        return [entry["what"] for entry in self.page("window.brindlemox.journal")]

    def assert_stopped_in_order(self, expected):
        self.wait_for("window.brindlemox.ended", what="the end of the show")
        entries = self.page("window.brindlemox.journal")
        self.assertEqual([e["what"] for e in entries], expected)
        # Nothing was drawn once the close began.
        self.assertEqual(len({e["frames"] for e in entries}), 1, entries)
        frames = self.page("window.brindlemox.framesPresented")
        self.assertEqual(entries[0]["frames"], frames)
        time.sleep(0.3)
        self.assertEqual(self.page("window.brindlemox.framesPresented"), frames)
        self.assertTrue(self.page("document.getElementById('screen').hidden"))
        self.assertTrue(self.page("document.getElementById('close').disabled"))
        self.assertIn("The show has ended", self.page("document.getElementById('status').textContent"))

    def show_at(self, width, height, ratio, mobile=False):
        """Opens the show in a browser window of that size (CSS pixels) and
        device pixel ratio; the next test gets the usual window back."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": mobile})
        self.addCleanup(self.driver.execute_cdp_cmd, "Emulation.clearDeviceMetricsOverride", {})
        self.open("show")
        self.wait_for_frames(2)
        self.assertEqual(self.page("[window.innerWidth, window.innerHeight, devicePixelRatio]"),
                         [width, height, ratio])

    def rect_of(self, element_id):
        return self.page(f"document.getElementById('{element_id}').getBoundingClientRect().toJSON()")

    def assert_crisp_while_the_picture_stands(self):
        """A screenshot taken while the tile zoom's still picture is shown holds
        it enlarged by nearest pixel."""
        self.wait_for(f"window.brindlemox.lastFrameAt - window.brindlemox.firstFrameAt >= "
                      f"{WHOLE_PICTURE_FROM_MS}", what="the whole picture")
        png = self.driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})["data"]
        shown_at = self.page("window.brindlemox.lastFrameAt - window.brindlemox.firstFrameAt")
        self.assertLess(shown_at, WHOLE_PICTURE_UNTIL_MS, "the screenshot came too late")
        frame = base64.b64encode(canvas_bytes_of_frame(self.picture_frame)).decode()
        found = self.driver.execute_async_script(CHECK_BLOCKS, png, frame)
        self.assertNotIn("error", found, found)
        print(f"\n  screenshot {found['shot']}, canvas box {found['box']}", end=" ", file=sys.stderr)
        self.assertEqual(found["foreign"], 0, f"colours the frame lacks, smoothed: {found}")
        self.assertEqual(found["misplaced"], 0, f"frame pixels not in their blocks: {found}")

    # The tests.

    def test_canvas_fills_the_window_at_4_to_3_crisp_at_every_pixel_ratio(self):
        for width, height, ratio, mobile in ((1920, 1080, 1, False), (1920, 1080, 2, False),
                                             (390, 844, 3, True)):
            with self.subTest(f"{width}x{height} at ratio {ratio}"):
                self.show_at(width, height, ratio, mobile)
                canvas = self.rect_of("screen")
                # 4:3, inside the window, centred across it.
                self.assertAlmostEqual(canvas["width"] * 3, canvas["height"] * 4, delta=4)
                self.assertGreaterEqual(canvas["left"], 0)
                self.assertGreaterEqual(canvas["top"], 0)
                self.assertLessEqual(canvas["right"], width + 0.5)
                self.assertLessEqual(canvas["bottom"], height + 0.5)
                self.assertAlmostEqual(canvas["left"], width - canvas["right"], delta=1)
                # As large as the window allows: as wide as it (less at most
                # 3 pixels, a multiple of 4 wide keeping both sizes whole), or
                # as high as it less the controls, which stay in sight below.
                for control in ("fullscreen", "close"):
                    button = self.rect_of(control)
                    self.assertGreaterEqual(button["top"], canvas["bottom"] - 0.5, control)
                    self.assertLessEqual(button["bottom"], height, control)
                self.assertTrue(canvas["width"] > width - 4 or canvas["height"] >= height - 120,
                                canvas)
                self.assertEqual(self.page("getComputedStyle(document.getElementById('screen'))"
                                           ".imageRendering"), "pixelated")
                self.assert_crisp_while_the_picture_stands()

    def test_fullscreen_puts_the_canvas_alone_and_escape_leaves_it_before_ending_the_show(self):
        self.open("show")
        self.wait_for_frames(30)
        self.assertIn("Escape again ends the show", self.page("document.body.textContent"))
        self.driver.find_element(By.ID, "fullscreen").click()
        self.wait_for("document.fullscreenElement === document.getElementById('screen')",
                      what="the canvas in fullscreen")
        canvas = self.rect_of("screen")
        self.assertEqual([canvas["left"], canvas["top"], canvas["width"], canvas["height"]],
                         self.page("[0, 0, window.innerWidth, window.innerHeight]"))
        self.assertEqual(self.page("getComputedStyle(document.getElementById('screen')).objectFit"),
                         "contain")
        # The browser's Escape leaves fullscreen; the show goes on.
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.wait_for("document.fullscreenElement === null", what="the end of fullscreen")
        frames = self.page("window.brindlemox.framesPresented")
        self.wait_for(f"window.brindlemox.framesPresented > {frames + 5}", what="frames after it")
        self.assertFalse(self.page("window.brindlemox.ended"))
        # F does the same as the button, both ways.
        ActionChains(self.driver).send_keys("f").perform()
        self.wait_for("document.fullscreenElement !== null", what="fullscreen by F")
        ActionChains(self.driver).send_keys("f").perform()
        self.wait_for("document.fullscreenElement === null", what="the end of fullscreen by F")
        # Escape again ends the show.
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.wait_for("window.brindlemox.ended", what="the end of the show")
        self.assertEqual(self.page("window.brindlemox.exitCode"), 0)
        self.assertTrue(self.page("document.getElementById('fullscreen').disabled"))

    def test_the_ended_show_offers_to_play_again(self):
        self.open("show")
        self.assertTrue(self.page("document.getElementById('again').hidden"))
        self.wait_for_frames(30)
        self.driver.find_element(By.ID, "close").click()
        self.assert_stopped_in_order(STOP)
        again = self.driver.find_element(By.ID, "again")
        self.assertTrue(again.is_displayed())
        again.click()
        self.wait_for("window.brindlemox && !window.brindlemox.ended && "
                      "window.brindlemox.framesPresented >= 30", what="the show played again")
        self.assertFalse(self.page("document.getElementById('screen').hidden"))
        self.assertTrue(self.page("document.getElementById('again').hidden"))

    def test_show_draws_the_back_buffer_one_frame_per_animation_frame(self):
        self.open("show")
        self.wait_for_frames(2)
        canvas = self.driver.find_element(By.ID, "screen")
        first = canvas.screenshot_as_png
        time.sleep(1.0)
        second = canvas.screenshot_as_png
        self.assertNotEqual(first, second, "two screenshots a second apart are the same")

        # A key other than Escape is handled and changes nothing.
        ActionChains(self.driver).send_keys("a").perform()
        self.wait_for("window.brindlemox.journal.length > 0", what="the key's message")
        self.assertEqual(self.journal(), ["WM_KEYDOWN 65"])

        # The title element holds the text as set; document.title (what the
        # browser shows) collapses the spaces at its end.
        title = self.wait_for("/^Brindlemox :: \\d+ fps   $/.test(document.querySelector('title')"
                              ".textContent) && document.querySelector('title').textContent",
                              what="the frame rate in the title")
        self.assertGreaterEqual(int(TITLE.match(title).group(1)), 1)
        self.assertRegex(self.driver.title, r"^Brindlemox :: \d+ fps$")
        self.assertRegex(self.page("document.getElementById('title').textContent"), TITLE)

        # Each animation frame draws one frame; the first one is drawn as soon
        # as set-up is done, before any animation frame.
        counts = self.page("[window.brindlemox.framesPresented, window.brindlemox.animationFrames]")
        self.assertEqual(counts[0], counts[1] + 1, counts)
        print(f"\n  title {title!r} after {counts[0]} frames", end=" ", file=sys.stderr)

        pixels = self.read_whole_picture()
        expected = canvas_bytes_of_frame(self.picture_frame)
        self.assertEqual(differing_pixels(pixels, expected), 0,
                         "the canvas is not the capture tool's frame at 7000 ms")
        self.assertFalse(self.page("window.brindlemox.ended"))
        self.assertEqual(self.page("window.brindlemox.log"), [])

    def test_bundle_from_a_plain_static_server_plays_the_show(self):
        if not self.bundle_base:
            self.skipTest("no bundle given")
        # The bundle holds the page as shipped, which keeps no record for
        # tests: its frames are timed from outside.
        watch = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                            {"source": OUTSIDE_WATCH})
        try:
            self.open("", self.bundle_base)
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                        {"identifier": watch["identifier"]})
        self.wait_for("/^Brindlemox :: \\d+ fps   $/.test(document.querySelector('title')"
                      ".textContent)", what="the frame rate in the title")
        pixels = self.read_whole_picture(outside=True)
        self.assertEqual(differing_pixels(pixels, canvas_bytes_of_frame(self.picture_frame)), 0,
                         "the bundle's canvas is not the capture tool's frame at 7000 ms")
        self.assertEqual(self.page("window.brindlemox.log"), [])
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.wait_for("window.brindlemox.ended", what="the end of the show")
        self.assertEqual(self.page("window.brindlemox.exitCode"), 0)
        frames = self.page("window.outsideWatch.framesPresented")
        time.sleep(0.3)
        self.assertEqual(self.page("window.outsideWatch.framesPresented"), frames,
                         "frames were drawn after the end")
        self.assertIn("The show has ended", self.page("document.getElementById('status').textContent"))

    def test_escape_ends_the_show_in_order_and_the_title_is_the_page_name_again(self):
        self.open("show")
        self.wait_for_frames(30)
        self.wait_for("/ fps   $/.test(document.getElementById('title').textContent)",
                      what="the frame rate in the title")
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.assert_stopped_in_order(["WM_KEYDOWN 27"] + STOP)
        self.assertEqual(self.page("window.brindlemox.exitCode"), 0)
        # No frame rate is given once nothing is drawn.
        self.assertEqual(self.driver.title, "Brindlemox")
        self.assertEqual(self.page("document.getElementById('title').textContent"), "Brindlemox")

    def test_close_button_ends_the_show_in_order(self):
        self.open("show")
        self.wait_for_frames(30)
        self.driver.find_element(By.ID, "close").click()
        self.assert_stopped_in_order(STOP)

    def test_missing_picture_gives_black_tiles_and_one_line(self):
        self.open("nopicture")
        pixels = self.read_whole_picture()
        self.assertEqual(pixels, canvas_bytes_of_frame(self.black_frame))
        self.assertEqual(pixels, canvas_bytes_of_frame(bytes(WIDTH * HEIGHT * 4)))
        self.assertEqual(self.page("window.brindlemox.log"),
                         ['Brindlemox: cannot load picture "pvn_quad.png": file not found'])
        self.assertFalse(self.page("window.brindlemox.ended"))

    def test_shipped_page_shows_the_show_and_keeps_no_record_for_tests(self):
        self.open("shipped")
        self.wait_for("!document.getElementById('screen').hidden && "
                      "/ fps   $/.test(document.getElementById('title').textContent)",
                      what="the canvas and the frame rate in the title")
        canvas = self.driver.find_element(By.ID, "screen")
        first = canvas.screenshot_as_png
        time.sleep(1.0)
        self.assertNotEqual(first, canvas.screenshot_as_png,
                            "two screenshots a second apart are the same")
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.wait_for("window.brindlemox.ended", what="the end of the show")
        self.assertEqual(self.page("window.brindlemox.exitCode"), 0)
        for name in ("journal", "framesPresented", "animationFrames", "firstFrameAt",
                     "lastFrameAt"):
            self.assertFalse(self.page(f"'{name}' in window.brindlemox"), name)

    def test_holding_f_toggles_fullscreen_once(self):
        self.open("show")
        self.wait_for_frames(30)
        self.page("(window.fullscreenChanges = 0, document.addEventListener("
                  "'fullscreenchange', () => window.fullscreenChanges++), true)")
        # A key held for about a second and a half: one press, then the
        # keyboard's repeats, as the browser gets them, then the release.
        key = {"key": "f", "code": "KeyF", "text": "f", "windowsVirtualKeyCode": 70}
        self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": "keyDown", **key})
        for _ in range(45):
            time.sleep(0.033)
            self.driver.execute_cdp_cmd("Input.dispatchKeyEvent",
                                        {"type": "keyDown", "autoRepeat": True, **key})
        self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": "keyUp", **key})
        self.wait_for("document.fullscreenElement === document.getElementById('screen')",
                      what="the canvas in fullscreen")
        time.sleep(0.5)  # a change still on its way would come by now
        self.assertEqual(self.page("window.fullscreenChanges"), 1)
        self.assertEqual(self.page("document.fullscreenElement && document.fullscreenElement.id"),
                         "screen")
        # The next press is a fresh one: it leaves fullscreen.
        ActionChains(self.driver).send_keys("f").perform()
        self.wait_for("document.fullscreenElement === null", what="the end of fullscreen by F")
        self.assertEqual(self.page("window.fullscreenChanges"), 2)
        self.assertFalse(self.page("window.brindlemox.ended"))

    def assert_cannot_load(self, folder, file):
        """The page without FILE says, within 5 s, which file and what the
        server answered, in the error line, and loads no further."""
        self.open(folder)
        said = self.wait_for("!document.getElementById('error').hidden && "
                             "document.getElementById('error').textContent",
                             seconds=5, what=f"the page to say it cannot load {file}")
        self.assertEqual(said, f"Cannot load {file}: HTTP 404 File not found")
        self.assertNotIn("Loading", self.page("document.getElementById('status').textContent"))
        self.assertNotIn("ASSERTIONS", self.page("document.body.textContent"))
        self.assertNotIn("assertions", self.page("document.body.textContent"))
        self.assertTrue(self.page("document.getElementById('screen').hidden"))
        self.assertEqual(self.driver.title, "Brindlemox")

    def test_a_page_without_its_script_names_it_and_the_server_s_answer(self):
        self.assert_cannot_load("noscript", "brindlemox.js")

    def test_a_page_without_its_module_names_it_and_the_server_s_answer(self):
        self.assert_cannot_load("nomodule", "brindlemox.wasm")
        # The program never started: nothing journalled, nothing drawn.
        self.assertEqual(self.page("window.brindlemox.framesPresented"), 0)
        self.assertEqual(self.journal(), [])

    def test_the_page_has_its_icon(self):
        for folder, base in (("show", None), ("shipped", None), ("", self.bundle_base)):
            if folder == "" and not base:
                continue
            with self.subTest(folder or "the bundle"):
                self.open(folder, base)
                icon = self.driver.execute_async_script("""
                  const done = arguments[arguments.length - 1];
                  const link = document.querySelector('link[rel~="icon"]');
                  if (!link) return done(null);
                  const image = new Image();
                  image.onload = () => done({href: link.getAttribute('href'),
                                             size: [image.naturalWidth, image.naturalHeight]});
                  image.onerror = () => done({href: link.getAttribute('href'), size: null});
                  image.src = link.href;
                """)
                self.assertEqual(icon, {"href": "favicon.png", "size": [32, 32]})

    def test_device_failure_shows_the_error_line_and_draws_nothing(self):
        self.open("nodevice")
        self.wait_for("window.brindlemox && window.brindlemox.ended", what="the end of the show")
        self.assertEqual(self.page("document.getElementById('error').textContent"),
                         "QelGFX Fatal Error: Could not initialize graphics subsystem")
        self.assertFalse(self.page("document.getElementById('error').hidden"))
        self.assertEqual(self.page("window.brindlemox.framesPresented"), 0)
        self.assertEqual(self.journal(), ["WM_CLOSE", "WM_DESTROY", "WM_QUIT 1", "ended 1"])
        self.assertEqual(self.page("window.brindlemox.exitCode"), 1)
        self.assertEqual(self.driver.title, "Brindlemox")


def main():
    if len(sys.argv) not in (4, 5):
        raise SystemExit(__doc__)
    PageTest.build_dir = os.path.abspath(sys.argv[1])
    if len(sys.argv) == 5:
        PageTest.bundle_dir = os.path.abspath(sys.argv[4])
    with open(sys.argv[2], "rb") as f:
        PageTest.picture_frame = f.read()
    with open(sys.argv[3], "rb") as f:
        PageTest.black_frame = f.read()
    canvas_bytes_of_frame(PageTest.picture_frame)
    canvas_bytes_of_frame(PageTest.black_frame)
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
