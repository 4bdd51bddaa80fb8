// The web edition's figures, on localhost in headless chromium:
//   node bench/web/figures.mjs build-web/site
// - the site's size as served: gzip -9 for text and code, the already compressed
//   sounds, pictures and font as they are;
// - navigation to the window drawn and to every sound decoded (median of 5 cold loads);
// - a key event's handler to its sound's start scheduled in the audio graph (median),
//   beside the audio context's reported latencies;
// - the spacing of a question's notes by the audio clock against one render quantum.
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join, extname } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve, launch } from '../../web/browser.mjs';

const site = process.argv[2];
const median = (xs) => { const s = [...xs].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };
const files = (dir) => readdirSync(dir).flatMap((f) => (statSync(join(dir, f)).isDirectory() ? files(join(dir, f)) : [join(dir, f)]));

const CODE = ['.wasm', '.js', '.html', '.css'];
const COMPRESSED = ['.mp3', '.jpg', '.png', '.woff2'];
let raw = 0, served = 0, code = 0, sounds = 0;
for (const f of files(site)) {
  const body = readFileSync(f);
  const size = COMPRESSED.includes(extname(f)) ? body.length : gzipSync(body, { level: 9 }).length;
  raw += body.length;
  served += size;
  if (CODE.includes(extname(f))) code += size;
  if (extname(f) === '.mp3') sounds += size;
}
const kb = (n) => `${(n / 1024).toFixed(1)} KB`;
console.log(`site: ${kb(raw)} on disk, ${kb(served)} served (gzip -9 for text and code); code ${kb(code)}; sounds (MP3) ${kb(sounds)}`);

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
console.log(`navigation to window drawn: median ${median(drawn).toFixed(1)} ms (${drawn.map((x) => x.toFixed(0)).join(', ')})`);
console.log(`navigation to every sound decoded: median ${median(decoded).toFixed(1)} ms (${decoded.map((x) => x.toFixed(0)).join(', ')})`);

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
console.log(`key handler to start scheduled: median ${median(handler).toFixed(3)} ms, max ${Math.max(...handler).toFixed(3)} ms over ${handler.length} presses; `
  + `context base latency ${(audio.base * 1000).toFixed(1)} ms, output latency ${(audio.output * 1000).toFixed(1)} ms at ${audio.rate} Hz`);

await page.locator('#startStopButton').click();
await page.waitForFunction(() => window.zorvanta.platform.trace.filter((t) => t.tick).length >= 5, null, { timeout: 10000 });
const notes = (await page.evaluate(() => window.zorvanta.platform.trace)).filter((t) => t.tick).slice(0, 5);
const gaps = notes.slice(1).map((n, i) => (n.at - notes[i].at) * 1000);
const quantum = (128 / audio.rate) * 1000;
const worst = Math.max(...gaps.map((g) => Math.abs(g - 500)));
console.log(`a question's notes by the audio clock: ${gaps.map((g) => g.toFixed(3)).join(', ')} ms apart; `
  + `worst ${worst.toFixed(3)} ms off 500 (one render quantum ${quantum.toFixed(2)} ms)`);
await browser.close();
server.close();
