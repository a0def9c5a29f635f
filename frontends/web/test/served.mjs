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
