// The timed light in headless Chromium: node --test timed.test.mjs
// The site comes from NOCTURO_SITE (default: build/web/frontends/web/site of this checkout),
// the browser from CHROMIUM (default: /usr/bin/chromium).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { launchWatched, openWatched, servedInChromium } from './served.mjs';

const frame = 1000 / 60;

const served = servedInChromium();

test('a timed light of one second after one second: black, the light, black, each on time',
  { timeout: 60000 }, async () => {
    const { context, page, errors } = await openWatched(served,
      { timedLightDelay: '1.0', timedLightLength: '1.0' });
    // The moment of each key and tone.
    await page.addInitScript(() => {
      window.keys = [];
      window.tones = [];
      document.addEventListener('keydown', () => window.keys.push(performance.now()), true);
    });
    await launchWatched(page, served);
    // A first tap starts the page's sound, as browsers require; the light blinks under it.
    await page.mouse.click(160, 400);
    await page.waitForTimeout(1500);
    await page.evaluate(() => {
      const play = window.Module.playTone;
      window.Module.playTone = (kind) => {
        window.tones.push({ kind, now: performance.now() });
        play(kind);
      };
    });
    await page.keyboard.press('Space');
    await page.waitForTimeout(3000);
    const { looks, keys, tones } = await page.evaluate(() =>
      ({ looks: window.looks, keys: window.keys, tones: window.tones }));
    assert.equal(keys.length, 1);
    const key = keys[0];
    // From the last look before the key on.
    const after = looks.slice(Math.max(0, looks.findIndex((l) => l.now >= key) - 1));
    const changes = after.filter((l, i) => i > 0 && l.state !== after[i - 1].state);
    assert.deepEqual(changes.map((c) => c.state), ['black', 'lit', 'black'],
      `what the centre showed: ${JSON.stringify(changes)}`);
    const [dark, light, end] = changes.map((c) => c.now);
    assert.ok(dark - key <= 2 * frame, `black ${dark - key} ms after the key`);
    // Within a frame, give or take the half millisecond to which the page's clock is read.
    const onTime = frame + 0.5;
    assert.ok(Math.abs(light - dark - 1000) <= onTime, `the countdown lasted ${light - dark} ms`);
    assert.ok(Math.abs(end - light - 1000) <= onTime, `the light lasted ${end - light} ms`);
    assert.deepEqual(tones.map((t) => t.kind), [1, 2]);
    assert.ok(Math.abs(tones[1].now - tones[0].now - 1000) <= onTime);
    assert.deepEqual(errors, []);
    await context.close();
  });
