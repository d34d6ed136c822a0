// The explorer page: any frame of the show, exactly, with what made it.
//
// The show runs in the WebAssembly module (explorer.js, explorer.wasm) on the
// capture tool's virtual clock: frame k is drawn at (k - 1) times the frame
// step, the step being a millionth of a second rounded, so every frame shown
// here is the capture tool's frame k at the same frame rate and seed. The
// module replays from its snapshots to reach any frame; this page only asks
// for frames, copies their pixels onto the canvas and shows the descriptions
// the effects give of themselves. It computes none of the effects' numbers:
// every live value on the panel comes from the module.
//
// window.explorer is the page's state for those who look from outside (the
// tests and the seek benchmark): the frame shown, the descriptions read, the
// count of frames drawn and the time each took.
'use strict';

(() => {
  const WIDTH = 640;
  const HEIGHT = 480;
  const SPAN_MS = 40000;            // the timeline shows at least 0 to 40 s
  const MAX_FRAME = 0xFFFFFFFF;
  const SPEEDS = [0.25, 0.5, 1, 2];
  const URL_EVERY_MS = 250;         // the address follows, at most this often

  const $ = (id) => document.getElementById(id);
  const canvas = $('screen');
  const context = canvas.getContext('2d', {alpha: false});
  const image = context.createImageData(WIDTH, HEIGHT);
  const overlay = $('overlay');

  const page = {
    ready: false,
    failed: null,
    fps: 60,
    seed: 1,
    frame: 0,            // the frame on the canvas (0: none yet)
    playing: false,
    speed: 1,
    loop: false,
    description: null,   // the module's description of the frame shown
    point: null,         // its readout of the probed pixel
    probe: {x: 320, y: 240},
    timeline: [],
    framesDrawn: 0,
    lastDrawMs: 0,       // time to show the last frame: replay, pixels, panel
    errors: [],
    overlays: {tiles: false, charges: false, palette: true},
  };
  window.explorer = page;

  // The module, through its C functions.
  let core = null;

  function memory() {
    const m = core.module;
    if (m.HEAPU8 && m.HEAPU8.buffer.byteLength) return m.HEAPU8.buffer;
    if (m.wasmMemory) return m.wasmMemory.buffer;
    throw new Error('the module does not show its memory');
  }
  const decoder = new TextDecoder();
  function cString(pointer) {
    if (!pointer) return '';
    if (core.module.UTF8ToString) return core.module.UTF8ToString(pointer);
    const bytes = new Uint8Array(memory());
    let end = pointer;
    while (bytes[end]) end++;
    return decoder.decode(bytes.subarray(pointer, end));
  }
  function moduleError() {
    return cString(core.module._ExplorerError()) || 'the module gave no reason';
  }
  function parseJson(pointer, what) {
    const text = cString(pointer);
    try {
      return JSON.parse(text);
    } catch (error) {
      throw new Error(`the module's ${what} is not JSON (${error.message}): ${text.slice(0, 80)}`);
    }
  }

  // The virtual clock, the capture tool's: the step in microseconds, the
  // timeline's ms of frame k and the first frame at or after a time.
  const frameStep = (fps) => Math.floor((1000000 + Math.floor(fps / 2)) / fps);
  const frameMs = (k) => Math.floor(((k - 1) * frameStep(page.fps)) / 1000);
  const frameAt = (ms) => Math.min(MAX_FRAME, Math.ceil((ms * 1000) / frameStep(page.fps)) + 1);

  function slotAt(ms) {
    return page.timeline.find((w) => ms >= w.startMs && ms < w.endMs) || null;
  }
  function spanMs() {
    return Math.max(SPAN_MS, Math.ceil((frameMs(page.frame || 1) + 1) / 10000) * 10000);
  }

  // Opening the show at a frame rate and seed: the module starts afresh.
  // Snapshots ahead of the user, in idle moments: the first minute (and ten
  // seconds past the frame shown), a few milliseconds of drawing at a time,
  // so that any seek there replays only a few frames.
  const PREPARE_FRAMES = 40;
  let preparing = null;
  function prepareAhead() {
    if (preparing !== null || !core) return;
    preparing = setTimeout(() => {
      preparing = null;
      const until = Math.min(MAX_FRAME, Math.max(60 * page.fps + 1, page.frame + 10 * page.fps));
      let covered = 0;
      try {
        covered = core.module._ExplorerPrepare(until, PREPARE_FRAMES) >>> 0;
      } catch (error) {
        page.errors.push(String(error && error.message || error));
        return;
      }
      page.preparedUntil = covered;
      if (covered < until) prepareAhead();
    }, page.playing || dragging ? 8 : 0);
  }

  function open(fps, seed) {
    if (core.module._ExplorerOpen(fps, seed >>> 0) !== 0) throw new Error(moduleError());
    page.fps = fps;
    page.seed = seed;
    $('fps').value = fps;
    $('seed').value = seed;
    page.timeline = parseJson(core.module._ExplorerTimeline(), 'timeline');
    buildTimeline();
  }

  // Showing one frame: the module reaches it exactly, the pixels go onto the
  // canvas, the panel reads the frame's description.
  function draw(frame) {
    const started = performance.now();
    if (core.module._ExplorerShowFrame(frame) !== 0) throw new Error(moduleError());
    const replayed = performance.now();
    const pixels = new Uint32Array(memory(), core.module._ExplorerPixels(), WIDTH * HEIGHT);
    const rgba = new Uint32Array(image.data.buffer);
    // 0x00RRGGBB words to the canvas's bytes R, G, B, A (a little-endian word
    // 0xAABBGGRR).
    for (let i = 0; i < rgba.length; i++) {
      const p = pixels[i];
      rgba[i] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >>> 16) & 0xFF);
    }
    context.putImageData(image, 0, 0);
    const painted = performance.now();
    page.frame = frame;
    if (dragging && painted - panelAt < PANEL_EVERY_MS) {
      // Dragging: the picture and the clock now, the panel a moment later.
      showClock();
      if (panelTimer === null) panelTimer = setTimeout(() => safely(describeShown), PANEL_EVERY_MS);
    } else {
      describeShown();
    }
    const finished = performance.now();
    page.lastDrawMs = finished - started;
    // Where it went: the module's replay, the pixels onto the canvas, the
    // descriptions and the panel.
    page.lastDrawParts = {replay: replayed - started, pixels: painted - replayed,
                          panel: finished - painted};
    page.framesDrawn++;
    scheduleAddress();
    prepareAhead();
  }

  // The descriptions of the frame the module shows and the panel from them.
  // While the timeline is dragged the panel follows at most this often, so
  // that the picture follows the pointer first.
  const PANEL_EVERY_MS = 100;
  let panelAt = -Infinity;
  let panelTimer = null;
  function describeShown() {
    if (panelTimer !== null) clearTimeout(panelTimer);
    panelTimer = null;
    page.description = parseJson(core.module._ExplorerDescribe(), 'description');
    readPoint();
    showPanel();
    panelAt = performance.now();
  }
  // The frame number, its time and the timeline's cursor alone.
  function showClock() {
    $('frame-number').textContent = String(page.frame);
    $('time-ms').textContent = String(frameMs(page.frame));
    moveCursor(frameMs(page.frame));
  }

  function readPoint() {
    const {x, y} = page.probe;
    page.point = parseJson(core.module._ExplorerDescribePoint(x, y), 'point readout');
    showPoint();
  }

  // What is asked for and when: every request lands in one animation frame,
  // which draws the latest one; while playing, wall time picks the frame.
  let wanted = 1;
  let scheduled = false;
  let playFrom = null;     // {wall, frame} when playing started or changed speed

  function request(frame) {
    wanted = Math.min(MAX_FRAME, Math.max(1, Math.floor(frame)));
    schedule();
  }
  function schedule() {
    if (scheduled || !page.ready) return;
    scheduled = true;
    requestAnimationFrame(turn);
  }
  function turn() {
    scheduled = false;
    if (page.playing) {
      wanted = playedFrame(performance.now());
      schedule();
    }
    if (wanted !== page.frame) safely(() => draw(wanted));
  }
  function playedFrame(now) {
    let frame = playFrom.frame +
      Math.floor(((now - playFrom.wall) * page.fps * page.speed) / 1000);
    if (page.loop) {
      const [first, end] = loopFrames(playFrom.frame);
      if (end > first && frame >= end) frame = first + ((frame - first) % (end - first));
    }
    return Math.min(frame, MAX_FRAME);
  }
  // The frames of the effect's window that holds the frame: [first, end).
  function loopFrames(frame) {
    const w = slotAt(frameMs(frame));
    if (!w) return [frame, frame];
    const endMs = Math.min(w.endMs, Math.max(spanMs(), w.startMs + 10000));
    return [frameAt(w.startMs), frameAt(endMs)];
  }

  function play(on) {
    if (on === page.playing) return;
    page.playing = on;
    if (on) {
      playFrom = {wall: performance.now(), frame: wanted};
      if (page.loop) {
        const [first, end] = loopFrames(playFrom.frame);
        if (playFrom.frame >= end - 1) playFrom.frame = first;
      }
      schedule();
    } else {
      wanted = page.frame;
      scheduleAddress();
    }
    const button = $('play');
    button.setAttribute('aria-pressed', String(on));
    button.setAttribute('aria-label', on ? 'Pause' : 'Play');
  }
  function rebasePlaying() {
    if (page.playing) playFrom = {wall: performance.now(), frame: page.frame};
  }
  // From the frame last asked for, so that keys pressed faster than frames
  // are drawn each count.
  function step(by) {
    play(false);
    request(wanted + by);
  }
  function setSpeed(speed) {
    rebasePlaying();
    page.speed = speed;
    $('speed').value = String(speed);
  }
  function jumpToSlot(slot) {
    const w = page.timeline.find((entry) => entry.slot === slot);
    if (!w) return;
    request(frameAt(w.startMs));
    rebasePlayingAt(frameAt(w.startMs));
  }
  function rebasePlayingAt(frame) {
    if (page.playing) playFrom = {wall: performance.now(), frame};
  }

  // Errors go on the page and into page.errors; the page stays usable.
  function safely(action) {
    try {
      action();
    } catch (error) {
      page.errors.push(String(error && error.message || error));
      status(`Could not show that: ${error && error.message || error}`);
      play(false);
    }
  }
  function status(text) {
    $('status').textContent = text;
  }

  // The address: #fps=60&seed=1&frame=1051.
  function readAddress() {
    const text = window.location.hash.replace(/^#/, '');
    if (!text) return null;
    const fields = new URLSearchParams(text);
    const problems = [];
    const number = (name, min, max, fallback) => {
      if (!fields.has(name)) return fallback;
      const value = fields.get(name);
      if (!/^\d{1,10}$/.test(value) || Number(value) < min || Number(value) > max) {
        problems.push(`${name}=${value} is not a whole number from ${min} to ${max} ` +
                      `(${fallback} is taken)`);
        return fallback;
      }
      return Number(value);
    };
    const asked = {
      fps: number('fps', 1, 1000, 60),
      seed: number('seed', 0, 0xFFFFFFFF, 1),
      frame: number('frame', 1, MAX_FRAME, 1),
    };
    if (problems.length) status(`In the address, ${problems.join('; ')}.`);
    return asked;
  }
  const addressOf = (frame) => `#fps=${page.fps}&seed=${page.seed}&frame=${frame}`;
  let addressTimer = null;
  let addressAt = 0;
  function scheduleAddress() {
    if (addressTimer !== null) return;
    const wait = Math.max(0, addressAt + URL_EVERY_MS - performance.now());
    addressTimer = setTimeout(() => {
      addressTimer = null;
      addressAt = performance.now();
      const address = addressOf(page.frame);
      if (window.location.hash !== address) history.replaceState(null, '', address);
    }, page.playing ? wait : Math.min(wait, 30));
  }
  function goToAddress() {
    const asked = readAddress();
    if (!asked) return false;
    play(false);
    if (asked.fps !== page.fps || asked.seed !== page.seed) open(asked.fps, asked.seed);
    request(asked.frame);
    return true;
  }

  // The timeline.
  const timeline = $('timeline');
  let bandsSpan = 0;
  function buildTimeline() {
    const span = spanMs();
    bandsSpan = span;
    const windows = $('windows');
    windows.textContent = '';
    const jumps = $('jumps');
    jumps.textContent = '';
    for (const w of page.timeline) {
      const band = document.createElement('div');
      band.className = 'band';
      band.dataset.slot = w.slot;
      band.style.left = `${(100 * w.startMs) / span}%`;
      band.style.width = `${(100 * (Math.min(w.endMs, span) - w.startMs)) / span}%`;
      band.textContent = w.name;
      band.title = `${w.name}: ${w.startMs / 1000} s to ` +
        (w.endMs >= MAX_FRAME ? 'the end' : `${w.endMs / 1000} s`);
      windows.appendChild(band);
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = `${w.slot + 1} ${w.name}`;
      button.title = `Jump to the ${w.name} (key ${w.slot + 1})`;
      button.addEventListener('click', () => jumpToSlot(w.slot));
      jumps.appendChild(button);
    }
    const ticks = $('ticks');
    ticks.textContent = '';
    for (let s = 0; s * 1000 <= span; s++) {
      const tick = document.createElement('span');
      tick.style.left = `${(100 * s * 1000) / span}%`;
      if (s % 5 === 0 && s * 1000 < span) {
        tick.className = 'major';
        tick.dataset.label = `${s} s`;
      }
      ticks.appendChild(tick);
    }
    timeline.setAttribute('aria-valuemax', String(span));
  }
  function moveCursor(ms) {
    if (spanMs() !== bandsSpan) buildTimeline();
    $('cursor').style.left = `${Math.min(100, (100 * ms) / bandsSpan)}%`;
    timeline.setAttribute('aria-valuenow', String(ms));
    timeline.setAttribute('aria-valuetext', `${ms} ms, frame ${page.frame}`);
  }
  function showTimeline() {
    const ms = page.description && Number.isFinite(timelineMsOf(page.description))
      ? timelineMsOf(page.description) : frameMs(page.frame);
    moveCursor(ms);
    for (const band of $('windows').children) {
      band.classList.toggle('current', slotOf(page.description) === Number(band.dataset.slot));
    }
  }
  function frameAtPointer(event) {
    const box = timeline.getBoundingClientRect();
    const fraction = Math.min(1, Math.max(0, (event.clientX - box.left) / box.width));
    return frameAt(Math.round(fraction * bandsSpan));
  }
  let dragging = null;
  timeline.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    dragging = {wasPlaying: page.playing};
    play(false);
    try {
      timeline.setPointerCapture(event.pointerId);
    } catch (error) {
      // A pointer the browser does not know (made up by a script): no capture.
    }
    request(frameAtPointer(event));
    event.preventDefault();
  });
  timeline.addEventListener('pointermove', (event) => {
    if (dragging) request(frameAtPointer(event));
  });
  const endDrag = () => {
    if (!dragging) return;
    const resume = dragging.wasPlaying;
    dragging = null;
    if (resume) play(true);
  };
  timeline.addEventListener('pointerup', endDrag);
  timeline.addEventListener('pointercancel', endDrag);
  timeline.addEventListener('keydown', (event) => {
    const second = frameAt(1000) - 1;
    const moves = {PageUp: -10 * second, PageDown: 10 * second};
    if (event.key in moves) {
      step(moves[event.key]);
      event.preventDefault();
    } else if (event.key === 'End') {
      play(false);
      request(frameAt(bandsSpan - 1));
      event.preventDefault();
    }
  });

  // The panel.
  const articles = [...document.querySelectorAll('article.effect')];
  const hex = (value) => '0x' + (value >>> 0).toString(16).toUpperCase().padStart(8, '0');
  const swatch = (value) =>
    `<span class="swatch" style="background:#${(value & 0xFFFFFF).toString(16).padStart(6, '0')}"></span>`;
  const escapeHtml = (text) =>
    String(text).replace(/[&<>"]/g, (c) => ({'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'}[c]));

  function formatNumber(value) {
    if (Number.isInteger(value)) return String(value);
    const text = Math.abs(value) >= 1e-4 && Math.abs(value) < 1e7
      ? String(Number(value.toPrecision(9))) : value.toPrecision(9);
    return text;
  }
  const COLOUR = /^0x[0-9A-F]{8}$/i;
  const colourOf = (text) => parseInt(text.slice(2), 16);
  function formatValue(value, key) {
    if (value === null || value === undefined) return '–';
    if (typeof value === 'string' && COLOUR.test(value)) return swatch(colourOf(value)) + value;
    if (typeof value === 'number') {
      if (/colou?r|pixel|rgb/i.test(key || '')) return swatch(value) + hex(value);
      return formatNumber(value);
    }
    if (typeof value === 'string' || typeof value === 'boolean') return escapeHtml(value);
    if (Array.isArray(value)) {
      if (value.length <= 6 && value.every((v) => typeof v === 'number'))
        return '(' + value.map(formatNumber).join(', ') + ')';
      return `${value.length} values`;
    }
    if (value && Number.isFinite(value.x) && Number.isFinite(value.y) && Object.keys(value).length <= 3)
      return '(' + ['x', 'y', 'z'].filter((k) => k in value).map((k) => formatNumber(value[k])).join(', ') + ')';
    return Object.entries(value)
      .filter(([, v]) => typeof v !== 'object' || v === null || (Array.isArray(v) && v.length <= 6))
      .map(([k, v]) => `${escapeHtml(k)} ${formatValue(v, k)}`).join(', ');
  }
  function lookup(object, path) {
    let value = object;
    for (const part of path.split('.')) {
      if (value === null || typeof value !== 'object') return undefined;
      value = value[part];
    }
    return value;
  }

  // The slot, the timeline's ms and the effect's own clock in a description.
  const slotOf = (d) => (d && Number.isInteger(d.slot) ? d.slot : -1);
  const timelineMsOf = (d) => (d && Number.isFinite(d.timelineMs) ? d.timelineMs : NaN);
  const effectMsOf = (d) => (d && Number.isFinite(d.effectMs) ? d.effectMs : NaN);

  function showPanel() {
    const d = page.description;
    const slot = slotOf(d);
    const w = page.timeline.find((entry) => entry.slot === slot);
    $('frame-number').textContent = String(page.frame);
    const ms = timelineMsOf(d);
    $('time-ms').textContent = Number.isFinite(ms) ? String(ms) : String(frameMs(page.frame));
    $('effect-name').textContent = w ? w.name : (d.name || 'none');
    const own = effectMsOf(d);
    $('effect-ms').textContent = Number.isFinite(own) ? String(own) : '–';
    showTimeline();
    for (const article of articles) article.hidden = Number(article.dataset.slot) !== slot;
    const article = articles.find((a) => Number(a.dataset.slot) === slot);
    if (article) {
      for (const output of article.querySelectorAll('[data-live]'))
        output.innerHTML = formatValue(lookup(d, output.dataset.live), output.dataset.live);
      for (const table of article.querySelectorAll('[data-table]'))
        table.innerHTML = tableOf(table.dataset.table, d);
      showStrips(article);
    }
    showEverything();
    drawOverlay();
  }

  // All values, written out only while they are open to read.
  const everything = document.querySelector('#everything details');
  function showEverything() {
    if (!everything.open || !page.description) return;
    $('description').textContent = JSON.stringify(page.description, (key, value) =>
      Array.isArray(value) && value.length > 12 ? `[${value.length} values]` : value, 1);
  }
  everything.addEventListener('toggle', showEverything);

  function rectOf(value) {
    if (Array.isArray(value)) return value;
    if (value && typeof value === 'object')
      return [value.left, value.top, value.right, value.bottom];
    return null;
  }
  const rectText = (r) => (r ? `${r[0]},${r[1]} – ${r[2]},${r[3]}` : '–');

  function tableOf(kind, d) {
    const e = d.effect || {};
    if (kind === 'tiles') {
      const tiles = e.tiles || [];
      const rows = tiles.map((tile, i) => {
        const from = rectOf(tile.source || tile.src);
        const to = rectOf(tile.destination || tile.dst);
        const size = to ? `${to[2] - to[0]}x${to[3] - to[1]}` : '';
        return `<tr><th>${i}</th><td>${rectText(from)}</td><td>${rectText(to)}</td><td>${size}</td></tr>`;
      });
      return `<table><tr><th>tile</th><th>from the picture</th><th>drawn at</th><th>size</th></tr>${rows.join('')}</table>`;
    }
    if (kind === 'charges') {
      const charges = e.charges || [];
      const rows = charges.map((c, i) => {
        const [x, y] = Array.isArray(c) ? c : [c.x, c.y];
        return `<tr><th>c<sub>${i}</sub></th><td>x ${formatNumber(x)}</td><td>y ${formatNumber(y)}</td></tr>`;
      });
      return `<table>${rows.join('')}</table>`;
    }
    // Every single value the description holds, by name.
    const rows = [];
    const walk = (object, prefix) => {
      for (const [key, value] of Object.entries(object)) {
        const name = prefix + key;
        if (value && typeof value === 'object' && !Array.isArray(value)) walk(value, name + '.');
        else if (!Array.isArray(value) || value.length <= 6)
          rows.push(`<tr><th>${escapeHtml(name)}</th><td>${formatValue(value, key)}</td></tr>`);
      }
    };
    walk(e, '');
    return `<table>${rows.join('')}</table>`;
  }

  function paletteOf(d) {
    const palette = d && d.effect && d.effect.palette;
    if (!Array.isArray(palette) || palette.length !== 256) return null;
    return palette.map((entry) => (typeof entry === 'string' ? colourOf(entry) : entry));
  }
  function showStrips(article) {
    for (const strip of article.querySelectorAll('[data-strip]')) {
      const palette = paletteOf(page.description);
      strip.hidden = !page.overlays.palette || !palette;
      if (strip.hidden) continue;
      const stripCanvas = strip.querySelector('canvas');
      const stripContext = stripCanvas.getContext('2d');
      const row = stripContext.createImageData(256, 1);
      const words = new Uint32Array(row.data.buffer);
      palette.forEach((p, i) => {
        words[i] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >>> 16) & 0xFF);
      });
      stripContext.putImageData(row, 0, 0);
      let marks = strip.querySelector('.marks');
      if (!marks) {
        marks = document.createElement('div');
        marks.className = 'marks';
        stripCanvas.after(marks);
      }
      const items = [];
      const rotation = page.description.effect.rotation;
      if (strip.dataset.strip === 'plasma' && Number.isInteger(rotation)) {
        const zero = (256 - rotation) % 256;
        items.push(`<span class="mark" style="left:${((zero + 0.5) * 100) / 256}%" title="entry 0 of the cycle"></span>`);
      }
      const index = page.point && lookup(page.point, pointKey('index'));
      if (Number.isInteger(index))
        items.push(`<span class="mark point" style="left:${((index + 0.5) * 100) / 256}%" title="the point's index"></span>`);
      marks.innerHTML = items.join('');
    }
  }

  // The point readout.
  function pointKey(name) {
    if (!page.point || name in page.point) return name;
    return 'effect.' + name;
  }
  function showPoint() {
    const p = page.point;
    if (!p) return;
    const items = [];
    const walk = (object, prefix) => {
      for (const [key, value] of Object.entries(object)) {
        if (value && typeof value === 'object' && !Array.isArray(value)) walk(value, prefix + key + '.');
        else items.push(`<span><b>${escapeHtml(prefix + key)}</b> ${formatValue(value, key)}</span>`);
      }
    };
    // The screen's x, y and pixel, then what the effect reads there.
    const {effect, ...screen} = p;
    walk(screen, '');
    if (effect && typeof effect === 'object') walk(effect, '');
    else if (effect === null) items.push('<span>no effect is drawn in this frame</span>');
    $('probe-values').innerHTML = items.join(' ');
    for (const output of document.querySelectorAll('[data-point]'))
      output.innerHTML = formatValue(lookup(p, pointKey(output.dataset.point)), output.dataset.point);
    $('probe-x').value = page.probe.x;
    $('probe-y').value = page.probe.y;
  }
  function probe(x, y) {
    const px = Math.min(WIDTH - 1, Math.max(0, Math.floor(x)));
    const py = Math.min(HEIGHT - 1, Math.max(0, Math.floor(y)));
    if (px === page.probe.x && py === page.probe.y && page.point) return;
    page.probe = {x: px, y: py};
    if (!page.ready || !page.frame) return;
    safely(() => {
      readPoint();
      const article = articles.find((a) => !a.hidden);
      if (article) showStrips(article);
      drawOverlay();
    });
  }
  canvas.addEventListener('pointermove', (event) => {
    const box = canvas.getBoundingClientRect();
    probe(((event.clientX - box.left) * WIDTH) / box.width,
          ((event.clientY - box.top) * HEIGHT) / box.height);
  });
  for (const id of ['probe-x', 'probe-y'])
    $(id).addEventListener('input', () => {
      const x = Number($('probe-x').value);
      const y = Number($('probe-y').value);
      if (Number.isFinite(x) && Number.isFinite(y)) probe(x, y);
    });

  // The overlay: the tiles' rectangles, the charges, the probed pixel.
  // The canvas's size on the screen, kept as it changes, so that drawing a
  // frame never waits for the page's layout to read it.
  let shownSize = {width: 0, height: 0};
  new ResizeObserver(() => {
    const box = canvas.getBoundingClientRect();
    shownSize = {width: box.width, height: box.height};
    drawOverlay();
  }).observe(canvas);
  function drawOverlay() {
    const ratio = window.devicePixelRatio || 1;
    const w = Math.round(shownSize.width * ratio);
    const h = Math.round(shownSize.height * ratio);
    if (overlay.width !== w || overlay.height !== h) {
      overlay.width = w;
      overlay.height = h;
    }
    const g = overlay.getContext('2d');
    g.clearRect(0, 0, w, h);
    const d = page.description;
    if (!d) return;
    const sx = w / WIDTH;
    const sy = h / HEIGHT;
    const slot = slotOf(d);
    g.lineWidth = Math.max(1, ratio * 1.5);
    g.font = `${Math.round(12 * ratio)}px ui-monospace, monospace`;
    const e = d.effect || {};
    if (slot === 0 && page.overlays.tiles && Array.isArray(e.tiles)) {
      e.tiles.forEach((tile, i) => {
        const from = rectOf(tile.source || tile.src);
        const to = rectOf(tile.destination || tile.dst);
        if (from) {
          g.setLineDash([4 * ratio, 4 * ratio]);
          g.strokeStyle = 'rgba(106,168,255,0.8)';
          g.strokeRect(from[0] * sx, from[1] * sy, (from[2] - from[0]) * sx, (from[3] - from[1]) * sy);
        }
        if (to) {
          g.setLineDash([]);
          g.strokeStyle = '#ff5a4e';
          g.strokeRect(to[0] * sx, to[1] * sy, Math.max(1, (to[2] - to[0]) * sx), Math.max(1, (to[3] - to[1]) * sy));
          g.fillStyle = '#ffcf8a';
          g.fillText(`${i}: ${to[2] - to[0]}x${to[3] - to[1]}`, to[0] * sx + 4 * ratio, to[1] * sy + 14 * ratio);
        }
      });
    }
    // The pixel the readout is of: a ring around its block.
    if (page.point) {
      const {x, y} = page.probe;
      g.setLineDash([]);
      g.strokeStyle = 'rgba(255,255,255,0.9)';
      g.lineWidth = Math.max(1, ratio);
      const size = Math.max(sx, 6 * ratio);
      g.strokeRect((x + 0.5) * sx - size, (y + 0.5) * sy - size, 2 * size, 2 * size);
      g.lineWidth = Math.max(1, ratio * 1.5);
    }
    if (slot === 3 && page.overlays.charges && Array.isArray(e.charges)) {
      const scale = WIDTH / 320;  // the metaballs' picture is stretched twice
      e.charges.forEach((c, i) => {
        const [x, y] = Array.isArray(c) ? c : [c.x, c.y];
        // Pixel k of the small picture is worked out at k and shown as the
        // block from k to k + 1 of its pixels: its middle is k + 0.5.
        const cx = (x + 0.5) * scale * sx;
        const cy = (y + 0.5) * scale * sy;
        g.setLineDash([]);
        g.strokeStyle = '#6aa8ff';
        g.beginPath();
        g.arc(cx, cy, 9 * ratio, 0, 2 * Math.PI);
        g.moveTo(cx - 14 * ratio, cy);
        g.lineTo(cx + 14 * ratio, cy);
        g.moveTo(cx, cy - 14 * ratio);
        g.lineTo(cx, cy + 14 * ratio);
        g.stroke();
        g.fillStyle = '#cfe2ff';
        g.fillText(`c${i}`, cx + 12 * ratio, cy - 10 * ratio);
      });
    }
  }
  for (const toggle of document.querySelectorAll('.overlay-toggle')) {
    toggle.checked = page.overlays[toggle.dataset.overlay];
    toggle.addEventListener('change', () => setOverlay(toggle.dataset.overlay, toggle.checked));
  }
  function setOverlay(name, on) {
    page.overlays[name] = on;
    for (const toggle of document.querySelectorAll(`.overlay-toggle[data-overlay="${name}"]`))
      toggle.checked = on;
    if (page.description) showPanel();
  }

  // Controls and keys.
  $('play').addEventListener('click', () => play(!page.playing));
  $('back').addEventListener('click', () => step(-1));
  $('forward').addEventListener('click', () => step(1));
  $('speed').addEventListener('change', () => setSpeed(Number($('speed').value)));
  $('loop').addEventListener('change', () => {
    page.loop = $('loop').checked;
    rebasePlaying();
  });
  $('save').addEventListener('click', () => safely(saveFrame));
  function settingsChanged() {
    const fps = Number($('fps').value);
    const seed = Number($('seed').value);
    if (!Number.isInteger(fps) || fps < 1 || fps > 1000) {
      status('The frame rate is a whole number from 1 to 1000.');
      return;
    }
    if (!Number.isInteger(seed) || seed < 0 || seed > 0xFFFFFFFF) {
      status('The seed is a whole number from 0 to 4294967295.');
      return;
    }
    if (fps === page.fps && seed === page.seed) return;
    status('');
    safely(() => {
      // The same moment of the timeline at the new frame rate.
      const ms = frameMs(page.frame || 1);
      const wasPlaying = page.playing;
      play(false);
      open(fps, seed);
      page.frame = 0;
      request(frameAt(ms));
      if (wasPlaying) {
        draw(wanted);
        play(true);
      }
    });
  }
  $('fps').addEventListener('change', settingsChanged);
  $('seed').addEventListener('change', settingsChanged);

  document.addEventListener('keydown', (event) => {
    if (!page.ready || event.ctrlKey || event.metaKey || event.altKey) return;
    const target = event.target;
    const typing = target && (target.tagName === 'INPUT' && target.type !== 'checkbox' ||
                              target.tagName === 'SELECT' || target.tagName === 'TEXTAREA');
    if (typing) return;
    // A focused check box takes its Space itself.
    if (event.key === ' ' && target.tagName === 'INPUT' && target.type === 'checkbox') return;
    const second = frameAt(1000) - 1;
    let handled = true;
    switch (event.key) {
      case ' ': play(!page.playing); break;
      case 'ArrowRight': step(event.shiftKey ? second : 1); break;
      case 'ArrowLeft': step(event.shiftKey ? -second : -1); break;
      case 'Home': play(false); request(1); break;
      case '1': case '2': case '3': case '4': jumpToSlot(Number(event.key) - 1); break;
      case 's': case 'S': {
        const next = SPEEDS[(SPEEDS.indexOf(page.speed) + 1) % SPEEDS.length];
        setSpeed(next);
        break;
      }
      case 'l': case 'L':
        $('loop').checked = !$('loop').checked;
        $('loop').dispatchEvent(new Event('change'));
        break;
      case 'o': case 'O': {
        const slot = slotOf(page.description);
        if (slot === 0) setOverlay('tiles', !page.overlays.tiles);
        else if (slot === 3) setOverlay('charges', !page.overlays.charges);
        else handled = false;
        break;
      }
      default: handled = false;
    }
    if (handled) event.preventDefault();
  });
  window.addEventListener('hashchange', () => {
    if (window.location.hash !== addressOf(page.frame)) safely(goToAddress);
  });

  // Save frame: the module's PNG of the frame, the capture tool's bytes.
  function saveFrame() {
    if (!page.frame) return;
    const size = core.module._ExplorerEncodePng();
    if (!size) throw new Error(moduleError());
    const bytes = new Uint8Array(memory(), core.module._ExplorerPngData(), size).slice();
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'image/png'}));
    link.download = `frame_${String(page.frame).padStart(6, '0')}.png`;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    page.savedBytes = size;
  }

  // For the benchmark and the tests: show a frame at once, and say how long
  // it took; the snapshots' size.
  page.showNow = (frame) => {
    play(false);
    wanted = frame;
    draw(frame);
    return page.lastDrawMs;
  };
  page.timelineSpan = () => bandsSpan;
  page.snapshotBytes = () => core.module._ExplorerSnapshotBytes() >>> 0;
  page.snapshotCount = () => core.module._ExplorerSnapshotCount() >>> 0;

  // Start: the module, the picture, the frame of the address (paused) or
  // the show from its start, playing.
  async function start() {
    if (typeof createExplorer !== 'function') throw new Error('explorer.js did not load');
    const [module, picture] = await Promise.all([
      createExplorer({print: (text) => console.log(text), printErr: (text) => console.error(text)}),
      fetch('pvn_quad.png').then((response) => {
        if (!response.ok) throw new Error(`pvn_quad.png: ${response.status} ${response.statusText}`);
        return response.arrayBuffer();
      }),
    ]);
    module.FS.writeFile('pvn_quad.png', new Uint8Array(picture));
    core = {module};
    status('');
    const asked = readAddress();
    open(asked ? asked.fps : 60, asked ? asked.seed : 1);
    page.ready = true;
    draw(asked ? asked.frame : 1);
    page.firstFrameAt = performance.now();  // since the page began to load
    prepareAhead();
    wanted = page.frame;
    if (!asked) play(true);
  }
  start().catch((error) => {
    page.failed = String(error && error.message || error);
    page.errors.push(page.failed);
    status(`The explorer could not start: ${page.failed}`);
  });
})();
