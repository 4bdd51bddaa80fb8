// Shared by the web edition's browser tests and benchmarks: serves a built site from
// a sub-path of a local static server and opens it in Debian's browsers, none of them
// downloaded: headless chromium through playwright-core, firefox-esr over WebDriver
// BiDi through puppeteer-core, and WebKitGTK's MiniBrowser through WebKitWebDriver
// and selenium-webdriver (MiniBrowser needs a display: run under xvfb-run).
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { mkdtemp, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';
import { Origin } from 'selenium-webdriver/lib/input.js';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.mp3': 'audio/mpeg', '.jpg': 'image/jpeg', '.png': 'image/png', '.svg': 'image/svg+xml',
  '.woff2': 'font/woff2', '.webmanifest': 'application/manifest+json',
};
export const SUB_PATH = '/any/sub/path/';

// A plain static server of `site` under SUB_PATH; resolves to its base address.
export async function serve(site) {
  const server = createServer(async (req, res) => {
    const path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (!path.startsWith(SUB_PATH)) { res.writeHead(404).end(); return; }
    const file = normalize(join(site, path.slice(SUB_PATH.length) || 'index.html'));
    try {
      const body = await readFile(file.endsWith('/') ? join(file, 'index.html') : file);
      res.writeHead(200, { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream' }).end(body);
    } catch { res.writeHead(404).end(); }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, url: `http://127.0.0.1:${server.address().port}${SUB_PATH}` };
}

const ALLOW_AUTOPLAY = '--autoplay-policy=no-user-gesture-required';
const launchOptions = {
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic', '--no-first-run', ALLOW_AUTOPLAY],
};
// `microphone`: a WAV file the browser's fake capture device plays as the microphone,
// read afresh each time the page opens it. `autoplay: 'default'`: the browser's own
// policy (sound only after the player's first gesture), not sound allowed at once.
export const launch = ({ microphone, autoplay } = {}) => chromium.launch({
  ...launchOptions,
  args: [...launchOptions.args.filter((a) => autoplay !== 'default' || a !== ALLOW_AUTOPLAY),
    ...(microphone ? ['--use-fake-device-for-media-stream', `--use-file-for-fake-audio-capture=${microphone}`] : [])],
});

// One page in one engine, as the cases that run in every engine see it: a small
// common part of the three drivers' own interfaces. Functions given to evaluate and
// waitForFunction run in the page, with one serialisable argument.
class Driver {
  // Waits until fn(arg) is true in the page, asking every 20 ms.
  async waitForFunction(fn, arg, { timeout = 10000 } = {}) {
    const until = Date.now() + timeout;
    while (!(await this.evaluate(fn, arg))) {
      if (Date.now() > until) throw new Error(`timed out waiting for ${fn}`);
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
  }

  // The centre of the element that matches selector, in the viewport's CSS pixels.
  centre(selector) {
    return this.evaluate((s) => {
      const box = document.querySelector(s).getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    }, selector);
  }
}

// Playwright's page (chromium) and puppeteer's (firefox) share these calls.
class PageDriver extends Driver {
  constructor(engine, page) { super(); this.engine = engine; this.page = page; }
  goto(url) { return this.page.goto(url); }
  evaluate(fn, arg) { return this.page.evaluate(fn, arg); }
  press(key) { return this.page.keyboard.press(key); }
  click(selector) { return this.page.click(selector); }
  async tap(selector) { const { x, y } = await this.centre(selector); await this.page.touchscreen.tap(x, y); }
}

// WebKitGTK's driver has no touch input: a tap there is its pointer's press and
// release, which the page takes through the same pointer events.
class WebKitDriver extends Driver {
  constructor(session) { super(); this.engine = 'webkit'; this.session = session; }
  goto(url) { return this.session.get(url); }
  async evaluate(fn, arg) {
    const result = await this.session.executeAsyncScript(`const done = arguments[arguments.length - 1];
      Promise.resolve().then(() => (${fn})(arguments[0])).then((v) => done({ v }), (e) => done({ e: String(e) }));`, arg);
    if (result.e) throw new Error(result.e);
    return result.v;
  }
  press(key) {
    const k = key.length === 1 ? key : Key[key.toUpperCase()];
    return this.session.actions({ async: true }).keyDown(k).keyUp(k).perform();
  }
  async click(selector) { await this.session.findElement(By.css(selector)).click(); }
  async tap(selector) {
    const { x, y } = await this.centre(selector);
    await this.session.actions({ async: true }).move({ origin: Origin.VIEWPORT, x: Math.round(x), y: Math.round(y) }).press().release().perform();
  }
}

const freePort = () => new Promise((resolve) => {
  const probe = createServer().listen(0, '127.0.0.1', () => { const { port } = probe.address(); probe.close(() => resolve(port)); });
});

// Each engine: start() opens the browser once; open(options) gives a Driver on a
// fresh page of its own (a new context, profile or session), whose close() ends it.
const ENGINES = {
  chromium: {
    start: launch,
    async open(browser, options) {
      const phone = options.viewport?.touch;
      const settings = {
        serviceWorkers: options.serviceWorkers ?? 'block', acceptDownloads: options.acceptDownloads ?? false,
        permissions: options.permissions ?? [],
        ...(options.viewport && { viewport: { width: options.viewport.width, height: options.viewport.height } }),
        ...(phone && { hasTouch: true, isMobile: true }),
        ...(options.hasTouch && { hasTouch: true }),
      };
      // A profile on disk, not a private window (which, for one, cannot install the app).
      const profile = options.persistent && await mkdtemp(join(tmpdir(), 'zorvanta-profile-'));
      const context = profile ? await chromium.launchPersistentContext(profile, { ...launchOptions, ...settings }) : await browser.newContext(settings);
      const driver = new PageDriver('chromium', await context.newPage());
      driver.context = context;
      driver.close = async () => { await context.close(); if (profile) await rm(profile, { recursive: true, force: true }); };
      return driver;
    },
  },
  firefox: {
    // It plays only into a sound server (tests/web/run.sh starts one), and, as
    // chromium's, with sound allowed before the player's first gesture unless asked
    // for its default policy.
    start: ({ autoplay } = {}) => puppeteer.launch({ browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr', headless: true,
      extraPrefsFirefox: autoplay === 'default' ? {} : { 'media.autoplay.default': 0, 'media.autoplay.block-webaudio': false } }),
    async open(browser, options) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (options.viewport) await page.setViewport({ width: options.viewport.width, height: options.viewport.height, hasTouch: !!options.viewport.touch });
      const driver = new PageDriver('firefox', page);
      driver.close = () => context.close();
      return driver;
    },
  },
  webkit: {
    // MiniBrowser's own autoplay policy, the one every case here runs under, lets sound
    // start only after a gesture (as its `--autoplay-policy=allow-without-sound`);
    // `--autoplay-policy=allow` among its args would let it start at once.
    async start() {
      const port = await freePort();
      const server = spawn(process.env.WEBKIT_DRIVER ?? '/usr/bin/WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
      const url = `http://127.0.0.1:${port}`;
      // Ready once it answers its status.
      for (let tries = 0; !(await fetch(`${url}/status`).then((r) => r.ok, () => false)); tries++) {
        if (tries > 200) throw new Error('WebKitWebDriver did not start');
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
      return { url, close: async () => server.kill() };
    },
    async open(driverServer, options) {
      const session = await new Builder().usingServer(driverServer.url).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: process.env.MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] },
      }).build();
      const driver = new WebKitDriver(session);
      driver.close = () => session.quit();
      if (options.viewport) {
        // The window's size, less its frame and toolbar, is the viewport's.
        const { width, height } = options.viewport;
        await session.manage().window().setRect({ width, height });
        const inner = await driver.evaluate(() => [innerWidth, innerHeight]);
        await session.manage().window().setRect({ width: 2 * width - inner[0], height: 2 * height - inner[1] });
      }
      return driver;
    },
  },
};

// Runs a table of browser test cases, each `[name, run(page, context), options]`, in
// a fresh context on the site's page; prints "ok"/"FAIL" a line each and exits 1 on
// any failure. Options: `engines` (the engines the case runs in, each in turn: run
// is then given the engine's Driver; without it, chromium alone and playwright's
// page), `viewport` ({ width, height, touch }), and for chromium alone
// `serviceWorkers` ('block' unless told), `acceptDownloads`, `hasTouch` (a touch
// screen, for `tap`), `persistent` (a profile
// on disk), `init` (a script before the page's own), `missing` (a file answered 404,
// the page then never ready), `permissions` (granted to the page). No case may ask
// anything of another address (watched in chromium). `autoplay: 'default'`: in a
// browser of its own, under the engine's default autoplay policy (chromium and
// firefox otherwise allow sound before the player's first gesture). `browserOptions` go to
// chromium's launch(). ZORVANTA_CASES, a pattern, runs only the cases whose names
// match.
export async function runCases(site, cases, browserOptions = {}) {
  const { server, url } = await serve(site);
  let failures = 0;
  for (const engine of Object.keys(ENGINES)) {
    const only = new RegExp(process.env.ZORVANTA_CASES ?? '');  // a subset by name, when asked
    const mine = cases.filter(([name, , options = {}]) => (options.engines ?? ['chromium']).includes(engine) && only.test(name));
    if (!mine.length) continue;
    const browser = await ENGINES[engine].start(browserOptions);
    for (const [name, run, options = {}] of mine) {
      const label = options.engines ? `${name} (${engine})` : name;
      const foreign = [];
      let driver, own;
      try {
        // A browser of its own for a case under the engine's default autoplay policy.
        own = options.autoplay && await ENGINES[engine].start({ ...browserOptions, autoplay: options.autoplay });
        driver = await ENGINES[engine].open(own || browser, options);
        const page = driver.page;
        if (engine === 'chromium') {
          page.on('request', (r) => { if (/^https?:/.test(r.url()) && !r.url().startsWith(url)) foreign.push(r.url()); });
          if (options.init) await page.addInitScript(options.init);
          if (options.missing) await page.route(`**/${options.missing}`, (r) => r.fulfill({ status: 404 }));
        }
        await driver.goto(url);
        if (!options.missing) await driver.waitForFunction(() => window.zorvanta?.ready.then(() => true));
        await Promise.race([run(options.engines ? driver : page, driver.context),
          new Promise((_, fail) => setTimeout(() => fail(new Error('timed out')), 60000))]);
        if (foreign.length) throw new Error(`a request to another address: ${foreign.join(' ')}`);
        console.log(`ok   ${label}`);
      } catch (e) {
        failures++;
        console.log(`FAIL ${label}\n     ${e.message.split('\n').join('\n     ')}`);
      }
      await driver?.close();
      await own?.close();
    }
    await browser.close();
  }
  server.close();
  process.exit(failures ? 1 : 0);
}
