// Shared by the web edition's browser tests and benchmarks: serves a built site from
// a sub-path of a local static server and opens it in Debian's headless chromium
// through playwright-core (no browser download).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { chromium } from 'playwright-core';

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

// `microphone`: a WAV file the browser's fake capture device plays as the microphone,
// read afresh each time the page opens it.
export const launch = ({ microphone } = {}) => chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic', '--no-first-run', '--autoplay-policy=no-user-gesture-required',
    ...(microphone ? ['--use-fake-device-for-media-stream', `--use-file-for-fake-audio-capture=${microphone}`] : [])],
});

// Runs a table of browser test cases, each `[name, run(page, context), options]`, in
// a fresh context on the site's page; prints "ok"/"FAIL" a line each and exits 1 on
// any failure. Options: `serviceWorkers` ('block' unless told), `acceptDownloads`,
// `init` (a script before the page's own), `missing` (a file answered 404, the
// page then never ready), `permissions` (granted to the page). No case may ask
// anything of another address. `browserOptions` go to launch().
export async function runCases(site, cases, browserOptions = {}) {
  const { server, url } = await serve(site);
  const browser = await launch(browserOptions);
  let failures = 0;
  for (const [name, run, options = {}] of cases) {
    const context = await browser.newContext({
      serviceWorkers: options.serviceWorkers ?? 'block', acceptDownloads: options.acceptDownloads ?? false,
      permissions: options.permissions ?? [],
    });
    const page = await context.newPage();
    const foreign = [];
    page.on('request', (r) => { if (/^https?:/.test(r.url()) && !r.url().startsWith(url)) foreign.push(r.url()); });
    if (options.init) await page.addInitScript(options.init);
    if (options.missing) await page.route(`**/${options.missing}`, (r) => r.fulfill({ status: 404 }));
    try {
      await page.goto(url);
      if (!options.missing) await page.evaluate(() => window.zorvanta.ready);
      await Promise.race([run(page, context), new Promise((_, fail) => setTimeout(() => fail(new Error('timed out')), 60000))]);
      if (foreign.length) throw new Error(`a request to another address: ${foreign.join(' ')}`);
      console.log(`ok   ${name}`);
    } catch (e) {
      failures++;
      console.log(`FAIL ${name}\n     ${e.message.split('\n').join('\n     ')}`);
    }
    await context.close();
  }
  await browser.close();
  server.close();
  process.exit(failures ? 1 : 0);
}
