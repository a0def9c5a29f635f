// Draws site/icon-180.png (an iPhone's home screen icon) and site/icon-192.png from
// site/icon.svg in headless Chromium, for browsers that want bitmap icons. Run after changing
// the icon: node make-icons.mjs
import { chromium } from 'playwright-core';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const site = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'site');
const svg = await readFile(path.join(site, 'icon.svg'), 'utf8');
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu'],
});
try {
  for (const size of [180, 192]) {
    const page = await browser.newPage({ viewport: { width: size, height: size } });
    await page.setContent(`<body style="margin:0"><div style="width:${size}px;height:${size}px">` +
      svg.replace('<svg ', `<svg width="${size}" height="${size}" `) + '</div></body>');
    await page.screenshot({ path: path.join(site, `icon-${size}.png`) });
    await page.close();
  }
} finally {
  await browser.close();
}
