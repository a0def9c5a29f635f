// Light writing in headless Chromium: node --test writing.test.mjs
// The site comes from NOCTURO_SITE (default: build/web/frontends/web/site of this checkout),
// the browser from CHROMIUM (default: /usr/bin/chromium).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import zlib from 'node:zlib';
import { launchWatched, openWatched, servedInChromium } from './served.mjs';

const frame = 1000 / 60;

// A PNG file of one colour.
function png(width, height, [r, g, b]) {
  const table = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const byte of bytes) c = table[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const out = Buffer.alloc(12 + data.length);
    out.writeUInt32BE(data.length, 0);
    body.copy(out, 4);
    out.writeUInt32BE(crc(body), 8 + data.length);
    return out;
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8; // bits a channel
  header[9] = 2; // RGB
  const row = Buffer.concat([Buffer.from([0]), Buffer.from(Array(width).fill([r, g, b]).flat())]);
  const rows = Buffer.concat(Array(height).fill(row));
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

const served = servedInChromium();

test('light writing: the line typed in the page\'s field, a picture from its file picker, ' +
  'and a pass that shows the picture a second after Space for a second',
{ timeout: 60000 }, async () => {
  const { context, page, errors } = await openWatched(served,
    { writingEnabled: 'true', timedLightDelay: '1.0', writingPassLength: '1.0' });
  await launchWatched(page, served);

  // The settings, scrolled down to the light writing button, then its section.
  await page.mouse.click(303, 465);
  await page.waitForTimeout(1000);
  await page.mouse.move(315, 440);
  await page.mouse.down();
  for (let y = 400; y >= 160; y -= 40) await page.mouse.move(315, y);
  await page.waitForTimeout(300);
  await page.mouse.move(315, 160);
  await page.mouse.up();
  await page.waitForTimeout(1000);
  await page.mouse.click(237, 442);
  await page.waitForTimeout(1000);

  // Edit text: the page's own field, prefilled, takes the keys, Space among them.
  await page.mouse.click(265, 242);
  const field = page.locator('#writing-text');
  await field.waitFor({ state: 'visible', timeout: 10000 });
  assert.equal(await field.inputValue(), 'NOCTURO');
  assert.equal(await field.getAttribute('maxlength'), '200');
  await page.keyboard.press('End');
  await page.keyboard.type(' AB');
  await page.keyboard.press('Backspace');
  assert.match(await page.evaluate(() => localStorage.getItem('writingText')), /^"?NOCTURO A"?$/);
  await page.keyboard.press('Enter');
  await field.waitFor({ state: 'hidden', timeout: 10000 });

  // Choose your picture: a file that is no picture is refused with the core's words; a PNG is
  // taken and kept in the page's storage.
  // A tap that a busy page takes before the field has quite gone is tapped again.
  const choose = async (file) => {
    for (let tries = 1; ; ++tries) {
      try {
        const [chooser] = await Promise.all([page.waitForEvent('filechooser', { timeout: 4000 }),
          page.mouse.click(160, 353)]);
        await chooser.setFiles(file);
        return;
      } catch (error) {
        if (tries === 3) throw error;
      }
    }
  };
  await choose({ name: 'notes.png', mimeType: 'image/png', buffer: Buffer.from('not a picture') });
  const notice = page.locator('#writing-notice');
  await notice.waitFor({ state: 'visible', timeout: 3000 });
  assert.ok((await notice.textContent()).length > 5);
  await notice.click();
  await choose({ name: 'cyan.png', mimeType: 'image/png', buffer: png(40, 30, [0, 255, 255]) });
  await page.waitForFunction(() => localStorage.getItem('nocturo.writingPicture.png'), null,
    { timeout: 10000, polling: 50 });
  assert.ok(await notice.isHidden());
  assert.equal(await page.evaluate(() => localStorage.getItem('writingSource')), '3');

  // Back, Done, and the pass.
  await page.mouse.click(278, 86);
  await page.waitForTimeout(1000);
  await page.mouse.click(278, 41);
  await page.waitForTimeout(1500);
  const key = await page.evaluate(() => {
    window.looks = [];
    return performance.now();
  });
  await page.keyboard.press('Space');
  await page.waitForTimeout(2600);
  const looks = await page.evaluate(() => window.looks);
  const changes = looks.filter((l, i) => i > 0 && l.state !== looks[i - 1].state);
  assert.deepEqual(changes.map((c) => c.state), ['black', 'cyan', 'black'],
    `what the centre showed: ${JSON.stringify(changes)}`);
  const [dark, light, end] = changes.map((c) => c.now);
  assert.ok(dark - key <= 3 * frame, `black ${dark - key} ms after the key`);
  // Within a frame, give or take the half millisecond to which the page's clock is read.
  const onTime = frame + 0.5;
  assert.ok(Math.abs(light - dark - 1000) <= onTime, `the countdown lasted ${light - dark} ms`);
  assert.ok(Math.abs(end - light - 1000) <= onTime, `the pass lasted ${end - light} ms`);

  assert.deepEqual(errors, []);
  await context.close();
});
