// One visit to the built site on each engine a phone's browser may have (engines.mjs): the
// launch to the lit spot, a touch that turns the light off and on, a setting kept over a
// reload, and a reload with the server gone. An engine that cannot start on this machine is
// reported as skipped, with the reason, under its own name. A step whose page the engine's
// driver gave up (engine.lost), or whose page never received a press the driver was asked for,
// is taken once more in a new browser, and the output says so.
//   node --test engines.test.mjs       (NOCTURO_SITE as for e2e.test.mjs)
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { engines } from './engines.mjs';
import {
  doneButton, launchFadeRest, settingsBar, settingsBarColour, settingsControl, site,
} from './served.mjs';
import { startServer } from '../serve.mjs';

const yellow = [255, 255, 0];
const red = [255, 0, 0];
const black = [0, 0, 0];
const centre = { x: 160, y: 240 };

// The colour of the canvas at window points, read in the page.
function readColours(points) {
  const canvas = document.getElementById('screen');
  if (!canvas || canvas.width === 320) return null;
  const s = canvas.width / 320;
  const context = canvas.getContext('2d');
  return points.map(({ x, y }) =>
    Array.from(context.getImageData(Math.floor(x * s), Math.floor(y * s), 1, 1).data.slice(0, 3)));
}

const near = (a, b) => Boolean(a) && a.every((v, i) => Math.abs(v - b[i]) <= 3);

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

async function waitFor(what, check, timeout = 30000) {
  const end = Date.now() + timeout;
  let last;
  for (;;) {
    last = await check();
    if (last.done) return;
    if (Date.now() > end) assert.fail(`${what}: ${last.seen}`);
    await pause(100);
  }
}

function waitForColour(page, at, rgb, timeout) {
  return waitFor(`(${at.x}, ${at.y}) never became ${rgb}`, async () => {
    const [seen] = (await page.evaluate(readColours, [at])) || [null];
    return { done: near(seen, rgb), seen: `it is ${seen}` };
  }, timeout);
}

// Page coordinates of a window point on the canvas.
async function toPage(page, { x, y }) {
  const box = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
  return { x: box.left + (x * box.width) / 320, y: box.top + (y * box.height) / 480 };
}

// The presses the page has received since its launch, counted before the page's own handlers
// see them; undefined once the page has been reloaded.
function countPresses() {
  window.pressesReceived = 0;
  document.addEventListener('pointerdown', () => ++window.pressesReceived, true);
}

// A press or lift at window point `at`; presses are counted, to tell a driver that loses one.
async function pointer(page, kind, at) {
  const p = await toPage(page, at);
  if (kind === 'down') ++page.pressesSent;
  await page.pointer(kind, p.x, p.y);
}

async function tap(page, at) {
  await pointer(page, 'down', at);
  await pointer(page, 'up', at);
}

// Whether the driver was asked for more presses than the page received.
async function lostPress(page) {
  if (!page.pressesSent) return false;
  const received = await page.evaluate(() => window.pressesReceived).catch(() => undefined);
  return typeof received === 'number' && received < page.pressesSent;
}

for (const engine of engines) {
  describe(engine.name, () => {
    let server;
    let page = null;
    let unavailable = '';

    before(async () => {
      server = await startServer({ root: site });
      try {
        page = await engine.start();
      } catch (error) {
        unavailable = `${engine.name} cannot start here: ${error.message.split('\n')[0]}`;
      }
    });

    after(async () => {
      await page?.close();
      await server?.close();
    });

    const launch = async () => {
      await page.open(`http://127.0.0.1:${server.port}/`);
      await waitForColour(page, centre, yellow, 60000);
      // Input comes once the page has loaded whole, the module included.
      await waitFor('the page never finished loading', async () => {
        const state = await page.evaluate(() => document.readyState);
        return { done: state === 'complete', seen: `it is ${state}` };
      });
      await pause(launchFadeRest);
      await page.evaluate(countPresses);
      page.pressesSent = 0;
    };

    // Each test runs only when the engine runs; otherwise it says why it was skipped.
    const visit = (name, body) => test(name, { timeout: 300000 }, async (t) => {
      if (!page) {
        t.skip(unavailable);
        return;
      }
      try {
        await body(t);
      } catch (error) {
        if (engine.lost?.(error)) {
          const printed = page.log?.().split('\n').slice(-5).join(' | ') || 'nothing';
          t.diagnostic(`${engine.name} gave up its page (${error.message.split('\n')[0]}; ` +
            `it printed: ${printed}); this step is taken again in a new browser`);
        } else if (await lostPress(page)) {
          t.diagnostic(`${engine.name}'s driver was asked for a press the page never received ` +
            `(${error.message.split('\n')[0]}); this step is taken again in a new browser`);
        } else {
          throw error;
        }
        await page.close().catch(() => {});
        page = await engine.start();
        await launch();
        await body(t);
      }
    });

    visit('the page launches to the lit spot', launch);

    visit('a touch turns the light off and its lift on again', async () => {
      await pointer(page, 'down', centre);
      await waitForColour(page, centre, black);
      await pointer(page, 'up', centre);
      await waitForColour(page, centre, yellow);
    });

    visit('a setting chosen on the settings screen is kept over a reload', async () => {
      await tap(page, settingsControl);
      await waitForColour(page, settingsBar, settingsBarColour);
      await tap(page, { x: 85, y: 186 });
      await waitFor('the red spot colour was never stored', async () => {
        const stored = await page.evaluate(() => localStorage.getItem('colorIndex'));
        return { done: stored === '1', seen: `colorIndex is ${stored}` };
      });
      await tap(page, doneButton);
      await waitForColour(page, centre, red);
      await page.reload();
      await waitForColour(page, centre, red, 60000);
      await page.evaluate(() => localStorage.clear());
    });

    visit('the page loads again with its server gone', async (t) => {
      const own = await startServer({ root: site });
      try {
        await page.open(`http://127.0.0.1:${own.port}/`);
        await waitForColour(page, centre, yellow, 60000);
        const worker = await page.evaluate(() => 'serviceWorker' in navigator && isSecureContext);
        if (!worker) {
          t.skip(`${engine.name} offers this page no offline worker`);
          return;
        }
        try {
          await waitFor('the offline worker never took the page', async () => {
            const controlled = await page.evaluate(() => navigator.serviceWorker.controller !== null);
            return { done: controlled, seen: 'no controller' };
          });
        } catch (error) {
          t.skip(`${engine.name} runs no offline worker here: ${error.message}`);
          return;
        }
      } finally {
        await own.close();
      }
      await page.reload();
      await waitForColour(page, centre, yellow, 60000);
    });
  });
}
