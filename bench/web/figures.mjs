// The web edition's figures, on localhost in headless chromium:
//   node bench/web/figures.mjs build-web/site [--update-doc]
// - the site's size as served: gzip -9 for text and code, the already compressed
//   sounds, pictures and font as they are;
// - navigation to the window drawn and to every sound decoded (median of 5 cold loads);
// - a key event's handler to its sound's start scheduled in the audio graph (median),
//   beside the audio context's reported latencies;
// - the spacing of a question's notes by the audio clock against one render quantum.
// With --update-doc the table replaces the web edition's block of docs/performance.md.
import { readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { loadavg } from 'node:os';
import { join, extname } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve, launch } from '../../web/browser.mjs';

const site = process.argv[2];
const started = new Date().toISOString().slice(0, 16).replace('T', ' ');
const loadBefore = loadavg().map((x) => x.toFixed(2)).join(' ');
const rows = [];  // [measure, result, target, met]
const row = (measure, result, target, met) => { rows.push([measure, result, target, met]); console.log(`${measure}: ${result}`); };
const median = (xs) => { const s = [...xs].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };
const files = (dir) => readdirSync(dir).flatMap((f) => (statSync(join(dir, f)).isDirectory() ? files(join(dir, f)) : [join(dir, f)]));

const CODE = ['.wasm', '.js', '.html', '.css'];
const COMPRESSED = ['.mp3', '.jpg', '.png', '.woff2'];
// The voice's files, which the page fetches only when singing is turned on: the
// service worker's list of them (made with the site).
const later = [...readFileSync(join(site, 'sw.js'), 'utf8').match(/const LATER = \[(.*)\];/)[1].matchAll(/'([^']+)'/g)]
  .map((m) => join(site, m[1]));
let raw = 0, served = 0, code = 0, sounds = 0, voice = 0;
for (const f of files(site)) {
  const body = readFileSync(f);
  const size = COMPRESSED.includes(extname(f)) ? body.length : gzipSync(body, { level: 9 }).length;
  if (later.includes(f)) { voice += size; continue; }
  raw += body.length;
  served += size;
  if (CODE.includes(extname(f))) code += size;
  if (extname(f) === '.mp3') sounds += size;
}
const kb = (n) => `${(n / 1024).toFixed(1)} KB`;
row('First load: the site as served but the voice\'s files (gzip -9 for text and code; MP3, JPEG, PNG, WOFF2 as they are)', `${kb(served)} (${kb(raw)} on disk); sounds ${kb(sounds)}`, '≤ 2 MB', served <= 2 * 1024 * 1024);
row('First load\'s code as served: wasm, JavaScript, HTML, CSS (gzip -9)', kb(code), '≤ 400 KB', code <= 400 * 1024);

const { server, url } = await serve(site);
const browser = await launch();
const drawn = [], decoded = [];
for (let i = 0; i < 5; i++) {
  const context = await browser.newContext({ serviceWorkers: 'block' });
  const page = await context.newPage();
  await page.goto(url);
  await page.evaluate(() => window.zorvanta.ready);
  const marks = await page.evaluate(() => window.zorvanta.marks);
  drawn.push(marks.windowDrawn);
  decoded.push(marks.soundsDecoded);
  await context.close();
}
const runs = (xs) => `median ${median(xs).toFixed(1)} ms (runs: ${xs.map((x) => x.toFixed(0)).join(', ')})`;
row('Navigation to the window drawn, cold, 5 loads', runs(drawn), 'median ≤ 500 ms', median(drawn) <= 500);
row('Navigation to every sound decoded, cold, 5 loads', runs(decoded), 'median ≤ 1000 ms', median(decoded) <= 1000);

const context = await browser.newContext({ serviceWorkers: 'block' });
const page = await context.newPage();
await page.goto(url);
await page.evaluate(() => window.zorvanta.ready);
for (let i = 0; i < 60; i++) { await page.keyboard.press('QWERTYU'[i % 7]); await page.waitForTimeout(20); }
const audio = await page.evaluate(() => {
  const a = window.zorvanta.platform.audio;
  return { base: a.baseLatency, output: a.outputLatency, rate: a.sampleRate };
});
const presses = (await page.evaluate(() => window.zorvanta.platform.trace)).filter((t) => t.pressAt >= 0);
const handler = presses.map((t) => t.scheduledAt - t.pressAt);
row('PC key handler to its sound\'s start scheduled in the audio graph', `median ${median(handler).toFixed(3)} ms, max ${Math.max(...handler).toFixed(3)} ms over ${handler.length} presses; `
  + `the context reports base latency ${(audio.base * 1000).toFixed(1)} ms, output latency ${(audio.output * 1000).toFixed(1)} ms at ${audio.rate} Hz`,
'median ≤ 1 ms', median(handler) <= 1);

await page.locator('#startStopButton').click();
await page.waitForFunction(() => window.zorvanta.platform.trace.filter((t) => t.tick).length >= 5, null, { timeout: 10000 });
const notes = (await page.evaluate(() => window.zorvanta.platform.trace)).filter((t) => t.tick).slice(0, 5);
const gaps = notes.slice(1).map((n, i) => (n.at - notes[i].at) * 1000);
const quantum = (128 / audio.rate) * 1000;
const worst = Math.max(...gaps.map((g) => Math.abs(g - 500)));
row('A question\'s notes by the audio clock (start times as scheduled)', `${gaps.map((g) => g.toFixed(3)).join(', ')} ms apart; worst ${worst.toFixed(3)} ms off 500`,
  `within one render quantum (${quantum.toFixed(2)} ms)`, worst <= quantum);

// The keys as the window is scaled to fit: a phone sideways and upright, a large monitor.
for (const [width, height, phone, target, met] of [
  [844, 390, true, 'white ≥ 48 px', (white) => white >= 48],
  [390, 844, true, 'the page asks to turn the phone', (white, turn) => turn],
  [1920, 1000, false, 'the window fills the viewport', (white, turn, win) => win.width >= 1920 - 10 || win.height >= 1000 - 10]]) {
  const sized = await browser.newContext({ serviceWorkers: 'block', viewport: { width, height }, hasTouch: phone, isMobile: phone });
  const p = await sized.newPage();
  await p.goto(url);
  await p.evaluate(() => window.zorvanta.ready);
  const [win, white, black, turn] = await p.evaluate(() => ['#window', '#whiteKey-0', '#blackKey-0', '#turn']
    .map((id) => document.querySelector(id).getBoundingClientRect().toJSON()));
  row(`Keys at a ${width} × ${height} CSS px viewport${phone ? ' (phone, touch)' : ''}`, `white ${white.width.toFixed(1)} × ${white.height.toFixed(1)} px, `
    + `black ${black.width.toFixed(1)} × ${black.height.toFixed(1)} px; window ${win.width.toFixed(0)} × ${win.height.toFixed(0)} px`
    + `${turn.height > 0 ? '; the notice to turn the phone above it' : ''}`, target, met(white.width, turn.height > 0, win));
  await sized.close();
}
await browser.close();
server.close();
row('The voice\'s files, fetched when singing is turned on (gzip -9)', `${kb(voice)}: ${later.map((f) => f.slice(site.length + 1)).join(', ')}`, '≤ 300 KB', voice <= 300 * 1024);

if (process.argv.includes('--update-doc')) {
  const doc = new URL('../../docs/performance.md', import.meta.url);
  const table = ['| # | Measure | Result | Target | Verdict |', '|---|---|---|---|---|',
    ...rows.map(([m, r, t, ok], i) => `| W${i + 1} | ${m} | ${r} | ${t} | ${ok ? 'met' : '**missed**'} |`)].join('\n');
  const block = `<!-- web:start -->
## The web edition in a browser

Written by \`bench/web/figures.mjs\` on ${started} UTC (load average before: ${loadBefore}), on
localhost in Debian's headless chromium (\`--headless=new\`, autoplay allowed), the site
served by a plain static server from a sub-path. Started as

\`\`\`sh
./scripts/web.sh --build-only && node bench/web/figures.mjs build-web/site --update-doc
\`\`\`

${table}

How each row is measured: **W1–W2** every file of \`build-web/site/\`, text and code
compressed with gzip -9 as a static host serves them, the MP3 sounds, JPEG pictures,
PNG icons and the WOFF2 font counted as they are (they do not compress further);
W1 is also the first visit's weight, for the service worker then fetches every file
to play offline.
**W3–W4** \`performance.now()\` in the page (0 is the navigation's start) when the
first frame after the window's elements is produced (\`requestAnimationFrame\`) and
when the last of the 25 sounds has been decoded, in a fresh browser context each
time (nothing cached, no service worker). **W5** 60 PC key presses in the idle window:
from the start of the page's \`keydown\` handler to the return of the sound's
\`AudioBufferSourceNode.start()\` call; the page is not cross-origin isolated, so
chromium gives \`performance.now()\` a resolution of 0.1 ms, the smallest step this
row can show. **W6** the first question after START:
the audio-clock times the step timer's ticks gave the five notes' \`start()\`
(each tick is due at a fixed multiple of the interval and its sound is placed 30 ms
ahead of it on the audio clock, so the notes render exactly an interval apart unless a
tick is more than 30 ms late, when its note starts at once). **W7–W9** the page in a
fresh context of that viewport's size (the phones with touch and a mobile viewport,
device pixel ratio 1), the first white and black key's and the window's
\`getBoundingClientRect()\` in CSS px once the window is drawn. **W10** the voice's
module and the capture's worklet, compressed as W1, which the first load leaves out.
<!-- web:end -->`;
  const text = readFileSync(doc, 'utf8');
  const old = /<!-- web:start -->[\s\S]*<!-- web:end -->/;
  writeFileSync(doc, old.test(text) ? text.replace(old, block)
    : text.replace('<!-- sound-server:end -->', `<!-- sound-server:end -->\n\n${block}`));
}
