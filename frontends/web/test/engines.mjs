// The three browser engines of phones, each behind the same small interface, so that one visit
// to the site runs on all of them:
//   Chromium  /usr/bin/chromium (CHROMIUM), through playwright-core
//   WebKit    Debian's WebKitWebDriver and MiniBrowser under Xvfb (WEBKIT_DRIVER), through
//             selenium-webdriver
//   Firefox   /usr/bin/firefox-esr (FIREFOX), through puppeteer-core over WebDriver BiDi
// start() resolves to a browser, or throws with the reason the engine cannot start here. A
// browser's page: open(url), reload(), evaluate(fn, arg) (fn runs in the page), pointer(kind,
// x, y) at page coordinates with kind 'down', 'move' or 'up', close(). An engine whose driver
// may give up a page at random has lost(error), which tells such an error from any other, and
// its page has log(), the last of what the engine printed.
import { spawn } from 'node:child_process';
import { access, constants } from 'node:fs/promises';
import { createServer } from 'node:net';

const viewport = { width: 390, height: 844 };

async function executable(file, what) {
  try {
    await access(file, constants.X_OK);
  } catch {
    throw new Error(`no ${what} at ${file} (scripts/setup installs it)`);
  }
  return file;
}

function freePort() {
  return new Promise((done, fail) => {
    const server = createServer();
    server.once('error', fail);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => done(port));
    });
  });
}

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

// A program that runs until close(); its start fails when it exits first.
function program(file, args, env) {
  const child = spawn(file, args,
    { env: { ...process.env, ...env }, stdio: ['ignore', 'ignore', 'pipe'] });
  let errors = '';
  child.stderr.on('data', (chunk) => {
    errors = (errors + chunk).slice(-2000);
  });
  const exited = new Promise((done) => child.once('exit', (code) => done(code)));
  return {
    child,
    exited,
    errors: () => errors.trim(),
    close: async () => {
      if (child.exitCode === null && child.signalCode === null) child.kill();
      await exited;
    },
  };
}

// Xvfb chooses a free display itself and names it on the descriptor it is given.
async function virtualDisplay() {
  const file = await executable('/usr/bin/Xvfb', 'Xvfb');
  const child = spawn(file, ['-displayfd', '3', '-screen', '0', '1024x1024x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((done, fail) => {
    let text = '';
    child.stdio[3].on('data', (chunk) => {
      text += chunk;
      if (text.includes('\n')) done(`:${text.trim()}`);
    });
    child.once('exit', (code) => fail(new Error(`Xvfb exited with status ${code}`)));
    setTimeout(() => fail(new Error('Xvfb named no display in 20 s')), 20000);
  });
  return {
    display,
    close: async () => {
      child.kill();
      await new Promise((done) => (child.exitCode !== null ? done() : child.once('exit', done)));
    },
  };
}

// A page of playwright or puppeteer, which share these calls, as an engine gives it; a load is
// done at `waitUntil`.
function drivenPage(page, waitUntil, close) {
  return {
    open: (url) => page.goto(url, { waitUntil }),
    reload: () => page.reload({ waitUntil }),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    pointer: async (kind, x, y) => {
      await page.mouse.move(x, y);
      if (kind === 'down') await page.mouse.down();
      if (kind === 'up') await page.mouse.up();
    },
    close,
  };
}

export const chromium = {
  name: 'Chromium',
  async start() {
    const file = await executable(process.env.CHROMIUM || '/usr/bin/chromium', 'Chromium');
    const { chromium: engine } = await import('playwright-core');
    const browser = await engine.launch({
      executablePath: file,
      args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
    const context = await browser.newContext({ viewport });
    const page = await context.newPage();
    return drivenPage(page, 'commit', () => browser.close());
  },
};

export const webkit = {
  name: 'WebKit',
  // On a loaded machine the driver now and then finds the page unresponsive while it runs a
  // script, answers that it could not parse the script's result, and deletes the session.
  lost: (error) => error?.name === 'NoSuchSessionError' ||
    /page crash or hang|Could not parse script result/.test(error?.message ?? ''),
  async start() {
    const driverFile = await executable(process.env.WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver',
      'WebKitWebDriver (webkit2gtk-driver)');
    const miniBrowser = process.env.WEBKIT_BROWSER ||
      '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
    await executable(miniBrowser, 'MiniBrowser (webkit2gtk-driver)');
    const { Builder, Origin } = await import('selenium-webdriver');
    const screen = await virtualDisplay();
    const port = await freePort();
    const driver = program(driverFile, [`--port=${port}`, '--host=127.0.0.1'],
      { DISPLAY: screen.display });
    let session;
    try {
      // The driver takes a moment to listen; a session request before that is refused.
      for (let tries = 0; ; ++tries) {
        if (driver.child.exitCode !== null)
          throw new Error(`WebKitWebDriver exited: ${driver.errors() || 'no reason given'}`);
        try {
          session = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
            browserName: 'MiniBrowser',
            'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
          }).build();
          break;
        } catch (error) {
          if (tries >= 50) throw error;
          await pause(200);
        }
      }
      await session.manage().window().setRect({ x: 0, y: 0, ...viewport });
    } catch (error) {
      await driver.close();
      await screen.close();
      throw error;
    }
    return {
      open: (url) => session.get(url),
      reload: () => session.navigate().refresh(),
      evaluate: (fn, arg) => session.executeScript(`return (${fn})(arguments[0]);`, arg),
      pointer: async (kind, x, y) => {
        let actions = session.actions().move({ x: Math.round(x), y: Math.round(y),
          origin: Origin.VIEWPORT });
        if (kind === 'down') actions = actions.press();
        if (kind === 'up') actions = actions.release();
        await actions.perform();
      },
      log: () => driver.errors(),
      close: async () => {
        await session.quit().catch(() => {});
        await driver.close();
        await screen.close();
      },
    };
  },
};

export const firefox = {
  name: 'Firefox',
  async start() {
    const file = await executable(process.env.FIREFOX || '/usr/bin/firefox-esr',
      'Firefox (firefox-esr)');
    const { default: puppeteer } = await import('puppeteer-core');
    const browser = await puppeteer.launch({
      browser: 'firefox', protocol: 'webDriverBiDi', executablePath: file, headless: true,
      extraPrefsFirefox: { 'dom.serviceWorkers.enabled': true },
    });
    const page = await browser.newPage();
    await page.setViewport(viewport);
    return drivenPage(page, 'domcontentloaded', () => browser.close());
  },
};

export const engines = [chromium, webkit, firefox];
