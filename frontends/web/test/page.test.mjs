// The page around the light, in headless Chromium as a phone (390 x 844 points at three pixels a
// point, touch screen): the whole screen takes fingers, the page stays dark while the light is
// used, the screen is kept awake without the Wake Lock API, an iPhone's home-screen hint, the
// offline worker's first visit, and the frame intervals of a drag.
//   node --test page.test.mjs          (NOCTURO_SITE and CHROMIUM as for e2e.test.mjs)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { startServer } from '../serve.mjs';
import {
  doneButton, launchFadeRest, servedInChromium, settingsBar, settingsBarColour, settingsControl,
  site,
} from './served.mjs';


const yellow = [255, 255, 0];
const black = [0, 0, 0];
const centre = { x: 160, y: 240 };
// No channel above this, on black, is lit enough to show in a photograph exposed for the light.
const darkest = 26;

const served = servedInChromium();

async function phone(options = {}) {
  const context = await served.browser.newContext({
    viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true, isMobile: true,
    ...options,
  });
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  return { context, page };
}

async function waitForColour(page, { x, y }, rgb) {
  await page.waitForFunction(({ x, y, rgb }) => {
    const canvas = document.getElementById('screen');
    if (canvas.width === 320) return false;
    const s = canvas.width / 320;
    const d = canvas.getContext('2d').getImageData(Math.floor(x * s), Math.floor(y * s), 1, 1).data;
    return [0, 1, 2].every((i) => Math.abs(d[i] - rgb[i]) <= 3);
  }, { x, y, rgb }, { timeout: 30000, polling: 'raf' });
}

// Opens the site and waits until the lit spot takes touches.
async function openLit(page) {
  await page.goto(served.origin, { waitUntil: 'commit' });
  await waitForColour(page, centre, yellow);
  await page.waitForTimeout(launchFadeRest);
}

// Fingers through the browser's touch input, at page coordinates (CSS pixels).
async function fingers(page) {
  const session = await page.context().newCDPSession(page);
  const send = (type, points) => session.send('Input.dispatchTouchEvent',
    { type, touchPoints: points.map(({ x, y, id = 0 }) => ({ x, y, id })) });
  return {
    down: (point) => send('touchStart', [point]),
    move: (point) => send('touchMove', [point]),
    up: () => send('touchEnd', []),
    tap: async (point) => {
      await send('touchStart', [point]);
      await send('touchEnd', []);
    },
  };
}

async function canvasBox(page) {
  return page.locator('#screen').boundingBox();
}

// The page coordinates of a point of the 320 x 480 point screen in the canvas's box.
function onScreen(box, { x, y }) {
  return { x: box.x + (x * box.width) / 320, y: box.y + (y * box.height) / 480 };
}

test('a finger on the black bars is a finger at the nearest edge of the screen',
  { timeout: 60000 }, async () => {
    const { context, page } = await phone();
    await openLit(page);
    const box = await canvasBox(page);
    assert.ok(box.y >= 100, `the screen leaves bars above and below it (top ${box.y})`);
    const touch = await fingers(page);
    for (const at of [{ x: 30, y: box.y / 2 }, { x: 100, y: box.y + box.height + 40 }]) {
      await touch.down(at);
      await waitForColour(page, centre, black);
      await touch.up();
      await waitForColour(page, centre, yellow);
    }
    // A drag that starts on a bar and enters the screen stays one finger.
    await touch.down({ x: 195, y: 20 });
    await touch.move({ x: 195, y: box.y + 100 });
    await waitForColour(page, centre, black);
    await touch.up();
    await waitForColour(page, centre, yellow);
    assert.equal(await page.locator('#notice').isHidden(), true);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

// Pixels of a screenshot of the page brighter than `darkest` in any channel, leaving out the
// light's own (the yellow spot and its smoothed edge), with `box` (page coordinates) left out
// when given; their count and the window points they span.
async function litPixels(page, box = null) {
  const shot = (await page.screenshot()).toString('base64');
  const canvas = await canvasBox(page);
  const viewer = await page.context().newPage();
  const found = await viewer.evaluate(async ({ shot, canvas, box, darkest, ratio }) => {
    const image = new Image();
    image.src = `data:image/png;base64,${shot}`;
    await image.decode();
    const draw = new OffscreenCanvas(image.width, image.height).getContext('2d');
    draw.drawImage(image, 0, 0);
    const data = draw.getImageData(0, 0, image.width, image.height).data;
    const lit = { count: 0, max: 0, x0: Infinity, y0: Infinity, x1: -Infinity, y1: -Infinity };
    for (let y = 0; y < image.height; ++y) {
      for (let x = 0; x < image.width; ++x) {
        const i = (y * image.width + x) * 4;
        const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
        if (Math.max(r, g, b) <= darkest) continue;
        if (b <= 3 && Math.abs(r - g) <= 3) continue;
        const px = x / ratio;
        const py = y / ratio;
        if (box && px >= box.x && px < box.x + box.width && py >= box.y &&
            py < box.y + box.height) continue;
        // In the screen's points.
        const sx = ((px - canvas.x) * 320) / canvas.width;
        const sy = ((py - canvas.y) * 480) / canvas.height;
        lit.count += 1;
        lit.max = Math.max(lit.max, r, g, b);
        lit.x0 = Math.min(lit.x0, sx);
        lit.y0 = Math.min(lit.y0, sy);
        lit.x1 = Math.max(lit.x1, sx);
        lit.y1 = Math.max(lit.y1, sy);
      }
    }
    return lit;
  }, { shot, canvas, box, darkest, ratio: 3 });
  await viewer.close();
  return found;
}

function describeLit(lit) {
  const r = (v) => Math.round(v);
  return `${lit.count} pixels up to ${lit.max}, in the screen's points from ` +
    `(${r(lit.x0)}, ${r(lit.y0)}) to (${r(lit.x1)}, ${r(lit.y1)})`;
}

async function paintingAtRest(page) {
  await openLit(page);
  await page.waitForFunction(() => document.body.classList.contains('painting'));
}

test('on the painting screen nothing of the page around the canvas is lit', { timeout: 60000 },
  async () => {
    const { context, page } = await phone();
    await paintingAtRest(page);
    assert.equal(await page.locator('#fullscreen').isVisible(), true,
      'the full-screen button is there, dimmed');
    const lit = await litPixels(page, await canvasBox(page));
    assert.equal(lit.count, 0, describeLit(lit));
    // On the settings screen the button shows as it was.
    const touch = await fingers(page);
    const box = await canvasBox(page);
    await touch.tap(onScreen(box, settingsControl));
    await page.waitForFunction(() => !document.body.classList.contains('painting'));
    assert.equal(await page.locator('#fullscreen').evaluate((b) => getComputedStyle(b).color),
      'rgb(119, 119, 119)');
    await context.close();
  });

test('the painting screen at rest lights nothing but the light', { timeout: 60000 }, async () => {
  const { context, page } = await phone();
  await paintingAtRest(page);
  const lit = await litPixels(page);
  assert.equal(lit.count, 0, describeLit(lit));
  await context.close();
});

// No Wake Lock API (a page over plain http, or an older browser); `refuse` makes every video
// refuse to play.
function withoutWakeLock(page, { refuse = false } = {}) {
  return page.addInitScript((refuse) => {
    delete Navigator.prototype.wakeLock;
    window.videos = new Set();
    const play = HTMLMediaElement.prototype.play;
    HTMLMediaElement.prototype.play = function () {
      window.videos.add(this);
      if (refuse) return Promise.reject(new DOMException('refused', 'NotAllowedError'));
      return play.call(this);
    };
    let visibility = 'visible';
    Object.defineProperty(Document.prototype, 'visibilityState', { get: () => visibility });
    window.setVisibility = (state) => {
      visibility = state;
      document.dispatchEvent(new Event('visibilitychange'));
    };
  }, refuse);
}

const videoPlays = () => [...window.videos].some((video) => !video.paused);

test('without the Wake Lock API a silent video from the first touch keeps the screen awake',
  { timeout: 60000 }, async () => {
    const { context, page } = await phone();
    await withoutWakeLock(page);
    await openLit(page);
    assert.equal(await page.evaluate(() => window.videos.size), 0, 'no video before a touch');
    const touch = await fingers(page);
    await touch.tap({ x: 195, y: 422 });
    await page.waitForFunction(videoPlays, null, { polling: 100 });
    // Locked and unlocked: it plays again, with no touch.
    // Hidden: it stops (a video still starting, once its start is done).
    await page.evaluate(() => window.setVisibility('hidden'));
    await page.waitForFunction(() => ![...window.videos].some((video) => !video.paused), null,
      { polling: 50, timeout: 5000 });
    await page.evaluate(() => window.setVisibility('visible'));
    await page.waitForFunction(videoPlays, null, { polling: 100 });
    assert.equal(await page.locator('#notice').isHidden(), true);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

test('when nothing can keep the screen awake the page says so, once', { timeout: 60000 },
  async () => {
    // The video is refused at the first touch.
    const { context, page } = await phone();
    await withoutWakeLock(page, { refuse: true });
    await openLit(page);
    const notice = page.locator('#notice');
    assert.equal(await notice.isHidden(), true);
    const touch = await fingers(page);
    await touch.tap({ x: 195, y: 422 });
    await notice.waitFor({ state: 'visible' });
    assert.match(await notice.textContent(), /cannot keep the screen awake/);
    await touch.tap({ x: 195, y: 422 });
    await notice.waitFor({ state: 'hidden' });
    await touch.tap({ x: 195, y: 422 });
    await page.waitForTimeout(300);
    assert.equal(await notice.isHidden(), true, 'said once');

    // The video's script is missing: said at once, before the light is touched.
    await context.close();
    const other = await phone();
    await withoutWakeLock(other.page);
    await other.page.route('**/nosleep.js', (route) => route.abort());
    await other.page.goto(served.origin, { waitUntil: 'commit' });
    await other.page.locator('#notice').waitFor({ state: 'visible' });
    await other.context.close();
  });

test('an iPhone gets the home-screen hint, and the canvas takes none of the browser\'s gestures',
  { timeout: 60000 }, async () => {
    const { context, page } = await phone({
      userAgent: 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 ' +
        '(KHTML, like Gecko) Version/17.5 Mobile/15E148 Safari/604.1',
    });
    await page.addInitScript(() => {
      delete Element.prototype.requestFullscreen;
      delete Element.prototype.webkitRequestFullscreen;
    });
    await openLit(page);
    const hint = page.locator('#fullscreen');
    assert.match(await hint.textContent(), /Add to Home Screen/);
    const gestures = await page.evaluate(() => {
      const canvas = document.getElementById('screen');
      const style = getComputedStyle(canvas);
      const menu = new MouseEvent('contextmenu', { bubbles: true, cancelable: true });
      return {
        touchAction: style.touchAction,
        userSelect: style.userSelect,
        overscroll: getComputedStyle(document.body).overscrollBehaviorY,
        menuShown: canvas.dispatchEvent(menu),
        appleIcon: document.querySelector('link[rel="apple-touch-icon"]').sizes.value,
        statusBar: document.querySelector('meta[name="apple-mobile-web-app-status-bar-style"]')
          .content,
      };
    });
    assert.deepEqual(gestures, { touchAction: 'none', userSelect: 'none', overscroll: 'none',
      menuShown: false, appleIcon: '180x180', statusBar: 'black-translucent' });
    await hint.click();
    await hint.waitFor({ state: 'hidden' });
    assert.equal((await fetch(new URL('icon-180.png', served.origin))).status, 200);
    await context.close();
  });

test('the first visit fetches each file of the site once', { timeout: 90000 }, async (t) => {
  // A server of its own: a closed context of an earlier test may still have a worker's fetches
  // on their way to the shared one.
  const requests = [];
  const own = await startServer({ root: site, onRequest: (method, file) => requests.push(file) });
  t.after(() => own.close());
  const { context, page } = await phone();
  await page.goto(`http://127.0.0.1:${own.port}/`, { waitUntil: 'commit' });
  await waitForColour(page, centre, yellow);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null,
    { timeout: 30000 });
  const kept = await page.evaluate(async () => {
    const names = await caches.keys();
    const cache = await caches.open(names.find((name) => name.startsWith('nocturo-')));
    return (await cache.keys()).map((request) => new URL(request.url).pathname);
  });
  const counts = {};
  for (const file of requests) {
    const name = file === '/' ? '/index.html' : file;
    counts[name] = (counts[name] || 0) + 1;
  }
  const twice = Object.entries(counts).filter(([, n]) => n > 1);
  assert.deepEqual(twice, [], `fetched more than once: ${JSON.stringify(counts)}`);
  for (const file of ['/index.html', '/nocturo.wasm', '/nocturo.data', '/nosleep.js'])
    assert.equal(counts[file], 1, `${file}: ${JSON.stringify(counts)}`);
  assert.ok(kept.includes('/nocturo.wasm') && kept.includes('/'), `kept: ${kept}`);
  await context.close();
});

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor((sorted.length - 1) * p + 0.5))];
}

// Records, while window.recording is set, the time each new frame reaches the canvas and the time
// each pointer move reaches the page.
async function recordFrames(page) {
  await page.addInitScript(() => {
    window.frameTimes = [];
    window.moveTimes = [];
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...args) {
      put.apply(this, args);
      if (window.recording) window.frameTimes.push(performance.now());
    };
    document.addEventListener('pointermove', () => {
      if (window.recording) window.moveTimes.push(performance.now());
    }, { capture: true });
  });
}

// The median and 95th percentile of the gaps between the given times, in milliseconds.
function gaps(times) {
  const sorted = times.slice(1).map((time, i) => time - times[i]).sort((a, b) => a - b);
  return { count: sorted.length, median: percentile(sorted, 0.5), p95: percentile(sorted, 0.95) };
}

// A measurement, not a limit: the drag's frame intervals are printed; only a drag that hardly
// moves at all fails. Each move through CDP takes about two frames to be acknowledged, so moves
// awaited one by one would arrive at half the display's rate and the frame intervals would be
// those of the moves. The moves are sent without waiting for each, 120 a second (at least one
// a frame on a 60 Hz display), and the page counts the moves it receives, so that the printed
// figures show that the drag's rate was not set by its input.
test('a drag that resizes the spot: its frame intervals', { timeout: 90000 }, async (t) => {
  const { context, page } = await phone();
  await page.addInitScript(() => localStorage.setItem('adjustSpotSize', 'true'));
  await recordFrames(page);
  await openLit(page);
  const box = await canvasBox(page);
  const at = (y) => onScreen(box, { x: 160, y });
  const touch = await fingers(page);
  await touch.down(at(420));
  await page.evaluate(() => {
    window.recording = true;
  });
  // Two seconds of moves at 120 a second, out from the centre and back, twice; each sent when
  // due, without waiting for the one before it to be acknowledged.
  const rate = 120;
  const moves = 2 * rate;
  const sent = [];
  const start = Date.now();
  for (let i = 1; i <= moves; ++i) {
    const phase = (2 * i) / moves;
    sent.push(touch.move(at(420 - 150 * Math.sin(Math.PI * phase) ** 2)));
    const due = start + (i * 1000) / rate;
    const wait = due - Date.now();
    if (wait > 0) await new Promise((done) => setTimeout(done, wait));
  }
  const arrived = (Date.now() - start) / 1000;
  await Promise.all(sent);
  const { times, moveTimes } = await page.evaluate(() => {
    window.recording = false;
    return { times: window.frameTimes, moveTimes: window.moveTimes };
  });
  await touch.up();
  const frames = gaps(times);
  assert.ok(frames.count >= 10, `only ${times.length} frames in the drag`);
  const moveMedian = moveTimes.length > 1 ? gaps(moveTimes).median : NaN;
  const figures = `drag at 390 x 844, pixel ratio 3: ${moves} moves sent over ` +
    `${arrived.toFixed(2)} s, ${moveTimes.length} received (median gap ` +
    `${moveMedian.toFixed(1)} ms); frame interval median ${frames.median.toFixed(1)} ms, ` +
    `95th percentile ${frames.p95.toFixed(1)} ms, over ${frames.count} frames`;
  t.diagnostic(figures);
  console.log(`page.test: ${figures}`);
  assert.ok(frames.median < 1000, figures);
  assert.notEqual(await page.evaluate(() => localStorage.getItem('spotWidth')), null,
    'the drag resized the spot');
  await context.close();
});

// A measurement, not a limit, as for the drag: the frame intervals of the flips to the settings
// and back, each drawing every frame of its 0.8 s anew; the way back is taken while the settings'
// scroll indicators show from the flash that greets them. Nothing polls the canvas while a flip
// is recorded, and frames after its end (the flash's) are left out.
test('the flips to the settings and back: their frame intervals', { timeout: 90000 },
  async (t) => {
    const { context, page } = await phone();
    await recordFrames(page);
    await openLit(page);
    const box = await canvasBox(page);
    const touch = await fingers(page);
    const flip = async (name, at) => {
      await page.evaluate(() => {
        window.frameTimes = [];
        window.recording = true;
      });
      await touch.tap(onScreen(box, at));
      await new Promise((done) => setTimeout(done, 1400));
      const times = await page.evaluate(() => {
        window.recording = false;
        return window.frameTimes;
      });
      const frames = gaps(times.filter((time) => time - times[0] <= 850));
      const figures = `${name} at 390 x 844, pixel ratio 3: frame interval median ` +
        `${frames.median.toFixed(1)} ms, 95th percentile ${frames.p95.toFixed(1)} ms, over ` +
        `${frames.count} frames`;
      t.diagnostic(figures);
      console.log(`page.test: ${figures}`);
      assert.ok(frames.count >= 10, figures);
    };
    await flip('flip to the settings', settingsControl);
    await waitForColour(page, settingsBar, settingsBarColour);
    await flip('flip back', doneButton);
    await waitForColour(page, centre, yellow);
    await context.close();
  });
