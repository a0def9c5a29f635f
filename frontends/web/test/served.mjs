// The built site, served on this machine, and headless Chromium to open it in, for the tests of
// one file: both started before its first test and stopped after its last.
//   NOCTURO_SITE  the site (default: build/web/frontends/web/site of this checkout)
//   CHROMIUM      the browser (default: /usr/bin/chromium)
import { after, before } from 'node:test';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startServer } from '../serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const site = process.env.NOCTURO_SITE ||
  path.join(here, '..', '..', '..', 'build', 'web', 'frontends', 'web', 'site');

// The launch picture fades into the lit spot, and the screen takes no touch until the fade is
// over. For the fade's last 60 ms the spot is within 3 levels of its colour already, so a test
// that has just seen the lit spot waits this long (ms) before it touches the light.
export const launchFadeRest = 250;

// Points of the 320 x 480 point screen: the painting screen's settings control; the settings
// screen's title bar, the colour it shows once that screen is up, and its Done button.
export const settingsControl = { x: 303, y: 465 };
export const settingsBar = { x: 20, y: 50 };
export const settingsBarColour = [36, 36, 43];
export const doneButton = { x: 278, y: 42 };

// { browser, server, origin }, filled in once the file's tests begin.
export function servedInChromium() {
  const served = { browser: null, server: null, origin: null };
  before(async () => {
    served.server = await startServer({ root: site });
    served.origin = `http://127.0.0.1:${served.server.port}/`;
    served.browser = await chromium.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
  });
  after(async () => {
    await served.browser?.close();
    await served.server?.close();
  });
  return served;
}

// A page of its own on the served site, with `settings` put in local storage before the page
// starts, and the state of the canvas's centre at every frame in window.looks ({ now, state }:
// 'lit' for the yellow spot, 'cyan', 'black' or 'other'). { context, page, errors }: the page's
// uncaught errors gather in errors. More init scripts may follow before launchWatched.
export async function openWatched(served, settings) {
  const context = await served.browser.newContext({ viewport: { width: 320, height: 480 } });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.addInitScript((kept) => {
    for (const [key, value] of Object.entries(kept)) localStorage.setItem(key, value);
    window.looks = [];
    const look = (now) => {
      const canvas = document.getElementById('screen');
      if (canvas && canvas.width >= 320) {
        const s = canvas.width / 320;
        const d = canvas.getContext('2d').getImageData(Math.floor(160 * s),
          Math.floor(240 * s), 1, 1).data;
        const state = d[0] < 60 && d[1] > 200 && d[2] > 200 ? 'cyan'
          : d[0] > 200 && d[1] > 200 && d[2] < 60 ? 'lit'
          : d[0] < 8 && d[1] < 8 && d[2] < 8 ? 'black' : 'other';
        window.looks.push({ now, state });
      }
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }, settings);
  return { context, page, errors };
}

// Opens the site in a page from openWatched and waits for the lit spot.
export async function launchWatched(page, served) {
  await page.goto(served.origin, { waitUntil: 'commit' });
  await page.waitForFunction(() => window.looks.length && window.looks.at(-1).state === 'lit',
    null, { timeout: 20000, polling: 100 });
  await page.waitForTimeout(1200); // past the launch fade
}
