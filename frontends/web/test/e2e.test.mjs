// End-to-end tests of the built site in headless Chromium: node --test e2e.test.mjs
// The site comes from NOCTURO_SITE (default: build/web/frontends/web/site of this checkout),
// the browser from CHROMIUM (default: /usr/bin/chromium).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { startServer } from '../serve.mjs';
import {
  doneButton, launchFadeRest, servedInChromium, settingsBar, settingsBarColour, settingsControl,
  site,
} from './served.mjs';

const yellow = [255, 255, 0];
const red = [255, 0, 0];
const blue = [0, 0, 255];
const black = [0, 0, 0];
const centre = { x: 160, y: 240 };

const served = servedInChromium();

// A phone: 390 x 844 points at three pixels a point, touch screen.
async function phone() {
  const context = await served.browser.newContext({
    viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true, isMobile: true,
  });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.errors = errors;
  return { context, page };
}

// The canvas pixel under a window point.
function pixel(page, at) {
  return page.evaluate(({ x, y }) => {
    const canvas = document.getElementById('screen');
    const s = canvas.width / 320;
    const d = canvas.getContext('2d').getImageData(Math.floor(x * s), Math.floor(y * s), 1, 1).data;
    return [d[0], d[1], d[2]];
  }, at);
}

function near(a, b, tolerance = 3) {
  return a.every((v, i) => Math.abs(v - b[i]) <= tolerance);
}

async function waitForColour(page, at, rgb, timeout = 15000) {
  try {
    await page.waitForFunction(({ x, y, rgb }) => {
      const canvas = document.getElementById('screen');
      const s = canvas.width / 320;
      const context = canvas.getContext('2d');
      const d = context.getImageData(Math.floor(x * s), Math.floor(y * s), 1, 1).data;
      return [0, 1, 2].every((i) => Math.abs(d[i] - rgb[i]) <= 3);
    }, { ...at, rgb }, { timeout, polling: 'raf' });
  } catch (error) {
    const message = await page.locator('#message').textContent().catch(() => '');
    assert.fail(`(${at.x}, ${at.y}) never became ${rgb}: it is ${await pixel(page, at)}` +
      (message ? `; the page says: ${message}` : '') + `; ${error.message.split('\n')[0]}`);
  }
}

// Fingers through the browser's touch input, at window points.
async function fingers(page) {
  const session = await page.context().newCDPSession(page);
  const box = await page.locator('#screen').boundingBox();
  const toPage = ({ x, y, id = 0 }) =>
    ({ x: box.x + (x * box.width) / 320, y: box.y + (y * box.height) / 480, id });
  const send = (type, points) =>
    session.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(toPage) });
  return {
    down: (...points) => send('touchStart', points),
    move: (...points) => send('touchMove', points),
    up: (...remaining) => send('touchEnd', remaining),
    tap: async (point) => {
      await send('touchStart', [point]);
      await send('touchEnd', []);
    },
  };
}

async function openPage(page) {
  await page.goto(served.origin, { waitUntil: 'commit' });
}

// Opens the site and waits until the lit spot takes touches.
async function openLit(page) {
  await openPage(page);
  await waitForColour(page, centre, yellow);
  await page.waitForTimeout(launchFadeRest);
}

test('the page shows the launch view, then the lit spot', { timeout: 60000 }, async () => {
  const { context, page } = await phone();
  // Samples two points of every frame the canvas shows: the head of the launch picture's trail,
  // white there and yellow in the spot, and the centre.
  await page.addInitScript(() => {
    window.samples = [];
    const sample = () => {
      const canvas = document.getElementById('screen');
      if (canvas && canvas.width !== 320) {
        const s = canvas.width / 320;
        const context = canvas.getContext('2d');
        const at = (x, y) => Array.from(
          context.getImageData(Math.floor(x * s), Math.floor(y * s), 1, 1).data.slice(0, 3));
        window.samples.push({ head: at(275, 157), centre: at(160, 240) });
      }
      requestAnimationFrame(sample);
    };
    requestAnimationFrame(sample);
  });
  await openLit(page);
  const samples = await page.evaluate(() => window.samples);
  const launch = samples.findIndex((s) => s.head.every((v) => v > 200));
  const lit = samples.findIndex((s) => near(s.centre, yellow) && near(s.head, yellow));
  assert.ok(launch >= 0, 'the launch view was never shown');
  assert.ok(lit > launch, 'the lit spot came before the launch view');
  assert.deepEqual(await page.locator('#message').isHidden(), true);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('a touch in off mode 2 darkens the light under the finger until it lifts',
  { timeout: 60000 }, async () => {
    const { context, page } = await phone();
    await openLit(page);
    const touch = await fingers(page);
    await touch.down({ x: 150, y: 250 });
    await waitForColour(page, { x: 150, y: 250 }, black);
    assert.deepEqual(await pixel(page, centre), black);
    await touch.up();
    await waitForColour(page, { x: 150, y: 250 }, yellow);
    // Two fingers: both are taken, and the light is back once they have lifted.
    await touch.down({ x: 100, y: 200, id: 1 });
    await touch.down({ x: 100, y: 200, id: 1 }, { x: 220, y: 300, id: 2 });
    await waitForColour(page, centre, black);
    await touch.up({ x: 220, y: 300, id: 2 });
    await touch.up();
    await waitForColour(page, centre, yellow);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

test('a setting changed on the settings screen survives a reload', { timeout: 90000 }, async () => {
  const { context, page } = await phone();
  await openLit(page);
  const touch = await fingers(page);
  await touch.tap(settingsControl);
  await waitForColour(page, settingsBar, settingsBarColour);
  // Spot colour: the second of six segments, red.
  await touch.tap({ x: 85, y: 186 });
  await page.waitForFunction(() => localStorage.getItem('colorIndex') === '1');
  await touch.tap(doneButton);
  await waitForColour(page, centre, red);

  await page.reload({ waitUntil: 'commit' });
  await waitForColour(page, centre, red);
  assert.equal(await page.evaluate(() => localStorage.getItem('colorIndex')), '1');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('stored values that are no finite number or boolean read as absent', { timeout: 60000 },
  async () => {
    const { context, page } = await phone();
    await page.addInitScript(() => {
      Object.entries({
        colorIndex: '3', spotWidth: 'NaN', cyclicFrequency: '1e999', lightMode: 'banana',
        lightOffMode: '"1"', adjustSpotSize: 'null', hideStrip: '{}', stripIndex: '[2]',
      }).forEach(([key, value]) => localStorage.setItem(key, value));
    });
    await openPage(page);
    // Blue as stored; the default width (the spot reaches near the sides), light mode and off
    // mode (dark under a finger).
    await waitForColour(page, centre, blue);
    await waitForColour(page, { x: 8, y: 240 }, blue);
    const touch = await fingers(page);
    await touch.down(centre);
    await waitForColour(page, centre, black);
    await touch.up();
    await waitForColour(page, centre, blue);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

// Where a colour of the colour cycle lies on its walk round the circle, in steps of 0.05.
function cycleStep([r, g, b]) {
  const [R, G, B] = [r / 255, g / 255, b / 255];
  let position;
  if (R > 0.99 && B < 0.01) position = G;
  else if (G > 0.99 && B < 0.01) position = 1 + (1 - R);
  else if (G > 0.99 && R < 0.01) position = 2 + B;
  else if (B > 0.99 && R < 0.01) position = 3 + (1 - G);
  else if (B > 0.99 && G < 0.01) position = 4 + R;
  else position = 5 + (1 - B);
  return position * 20;
}

test('the colour cycle keeps the clock\'s pace when the browser draws half the frames',
  { timeout: 60000 }, async () => {
    const { context, page } = await phone();
    await page.addInitScript(() => {
      localStorage.setItem('lightMode', '1');
      localStorage.setItem('cyclicFrequency', '50.0');
      // A browser saving power: every frame callback waits two display frames.
      const frame = window.requestAnimationFrame.bind(window);
      window.requestAnimationFrame = (callback) => frame(() => frame(callback));
    });
    await openPage(page);
    await page.waitForFunction(() => {
      const canvas = document.getElementById('screen');
      return canvas.width !== 320 && performance.now() > 0;
    });
    await page.waitForTimeout(2000);
    const read = () => page.evaluate(() => {
      const canvas = document.getElementById('screen');
      const s = canvas.width / 320;
      const d = canvas.getContext('2d').getImageData(160 * s, 240 * s, 1, 1).data;
      return { time: performance.now(), rgb: [d[0], d[1], d[2]] };
    });
    const first = await read();
    await page.waitForTimeout(1200);
    const second = await read();
    const steps = (cycleStep(second.rgb) - cycleStep(first.rgb) + 120) % 120;
    const expected = ((second.time - first.time) / 1000) * 50;
    // Counting frames would give 30 steps a second here, not 50.
    assert.ok(Math.abs(steps - expected) <= expected * 0.15 + 4,
      `${steps.toFixed(1)} steps in ${(second.time - first.time).toFixed(0)} ms; ` +
      `${expected.toFixed(1)} expected (${first.rgb} to ${second.rgb})`);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

test('the page loads with the network cut off after the first visit', { timeout: 90000 },
  async () => {
    // A server of its own, to be shut down.
    const own = await startServer({ root: site });
    const { context, page } = await phone();
    await page.goto(`http://127.0.0.1:${own.port}/`, { waitUntil: 'commit' });
    await waitForColour(page, centre, yellow);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null,
      null, { timeout: 30000 });
    await own.close();
    await context.setOffline(true);

    await page.reload({ waitUntil: 'commit' });
    await waitForColour(page, centre, yellow);
    const help = await page.evaluate(async () => {
      const response = await fetch('iPhoneApps/Nocturo/Tips_and_Tricks.html');
      return { status: response.status, text: await response.text() };
    });
    assert.equal(help.status, 200);
    assert.match(help.text, /<title>Nocturo: tips and tricks<\/title>/);
    assert.deepEqual(page.errors, []);
    await context.close();
  });

test('a broken interface file stops the launch with a clear message', { timeout: 60000 },
  async () => {
    const { context, page } = await phone();
    await page.route('**/nocturo.data', async (route) => {
      const response = await route.fetch();
      const body = Buffer.from(await response.body());
      const at = body.indexOf('"window"');
      assert.ok(at > 0, 'the interface file is in the module\'s data');
      body.write('#', at);
      await route.fulfill({ response, body });
    });
    await openPage(page);
    const message = page.locator('#message');
    await message.waitFor({ state: 'visible', timeout: 30000 });
    assert.match(await message.textContent(), /could not start: .*MainWindow\.json/);
    await context.close();
  });

test('the help control opens the help page of this site', { timeout: 60000 }, async () => {
  const { context, page } = await phone();
  await openLit(page);
  const touch = await fingers(page);
  await touch.tap(settingsControl);
  await waitForColour(page, settingsBar, settingsBarColour);
  // Drags the settings up to their end, beside the controls, then taps "Tips and tricks".
  await touch.down({ x: 5, y: 400 });
  for (let y = 380; y >= 100; y -= 20) await touch.move({ x: 5, y });
  await touch.up();
  const opened = context.waitForEvent('page', { timeout: 15000 });
  await touch.tap({ x: 160, y: 404 });
  const help = await opened;
  await help.waitForLoadState();
  assert.equal(new URL(help.url()).pathname, '/iPhoneApps/Nocturo/Tips_and_Tricks.html');
  assert.equal(await help.title(), 'Nocturo: tips and tricks');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the screen is kept awake, and again when the page shows again', { timeout: 60000 },
  async () => {
    const { context, page } = await phone();
    await page.addInitScript(() => {
      window.wakeLocks = [];
      let visibility = 'visible';
      Object.defineProperty(Document.prototype, 'visibilityState', { get: () => visibility });
      window.setVisibility = (state) => {
        visibility = state;
        // Hiding the page releases the lock, as browsers do.
        if (state === 'hidden')
          window.wakeLocks.forEach((lock) => lock.dispatchEvent(new Event('release')));
        document.dispatchEvent(new Event('visibilitychange'));
      };
      Object.defineProperty(Navigator.prototype, 'wakeLock', {
        get: () => ({
          request: async (type) => {
            const lock = new EventTarget();
            lock.type = type;
            window.wakeLocks.push(lock);
            return lock;
          },
        }),
      });
    });
    await openLit(page);
    await page.waitForFunction(() => window.wakeLocks.length === 1);
    assert.equal(await page.evaluate(() => window.wakeLocks[0].type), 'screen');
    await page.evaluate(() => window.setVisibility('hidden'));
    await page.evaluate(() => window.setVisibility('visible'));
    await page.waitForFunction(() => window.wakeLocks.length === 2);
    await context.close();
  });

test('full screen on request, and the light fills any window shape', { timeout: 60000 },
  async () => {
    const { context, page } = await phone();
    await openLit(page);
    const button = page.locator('#fullscreen');
    await button.click();
    await page.waitForFunction(() => document.fullscreenElement !== null);
    await button.waitFor({ state: 'hidden' });
    await page.evaluate(() => document.exitFullscreen());
    await button.waitFor({ state: 'visible' });

    // Turned on its side: the screen's height fills the window's, centred on black.
    await page.setViewportSize({ width: 844, height: 390 });
    await page.waitForFunction(() => document.getElementById('screen').width === 780);
    const box = await page.locator('#screen').boundingBox();
    assert.equal(Math.round(box.height), 390);
    assert.equal(Math.round(box.width), 260);
    assert.equal(Math.round(box.x), 292);
    await waitForColour(page, centre, yellow);
    await context.close();
  });

test('the site holds its help page, manifest and icons', { timeout: 30000 }, async () => {
  const get = async (file) => {
    const response = await fetch(new URL(file, served.origin));
    return { status: response.status, type: response.headers.get('content-type'),
      text: await response.text() };
  };
  const help = await get('iPhoneApps/Nocturo/Tips_and_Tricks.html');
  assert.equal(help.status, 200);
  assert.match(help.text, /Go dark/);
  const manifest = JSON.parse((await get('manifest.webmanifest')).text);
  assert.equal(manifest.display, 'fullscreen');
  for (const icon of manifest.icons) assert.equal((await get(icon.src)).status, 200);
  assert.equal((await get('nocturo.wasm')).type, 'application/wasm');
});
