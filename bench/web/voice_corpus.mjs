// The sampled singers of tests/platform/voice_corpus.txt judged in the page, in
// headless chromium, through a virtual microphone: the browser's fake capture device
// plays a stream made by bench_web_voice_corpus (each phrase as the microphone hears
// it, after a mark), and the page plays each phrase's question on its own sounds at
// the phrase's place on its audio clock (found by the mark), so the voice's echo
// reference holds the game's sound as when the game plays it. With headphones the
// microphone hears only the voice; with loudspeakers also the game's sound (0.45 of
// its level, 60 ms late, two reflections). Counted by the desktop's rules; onset to
// judgment is from a right note's onset in the stream, at the time the page had
// that sample, to the core's judgment of it.
//   node bench/web/voice_corpus.mjs <build-web/site> <build-test> <rendered corpus folder>
// Under bench/web/voice_pulse.sh (ZORVANTA_PULSE set) the microphone is a private
// PulseAudio's instead, the stream played into it with paplay and, for loudspeakers,
// the page's real output looped back into it.
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { loadavg, tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { launch, serve } from '../../web/browser.mjs';

const [site, build, rendered] = process.argv.slice(2).map((p) => resolve(p));
const root = resolve(new URL('../..', import.meta.url).pathname);
const bench = join(build, 'bin', 'bench_web_voice_corpus');
const work = mkdtempSync(join(tmpdir(), 'zorvanta-voice-corpus-'));
const RATE = 16000;
const PULSE = Boolean(process.env.ZORVANTA_PULSE);
const ECHO = 0.45;
const NAMES = ['do', 'do#', 're', 're#', 'mi', 'fa', 'fa#', 'so', 'so#', 'ra', 'ra#', 'si'];
const keyName = (k) => (k >= 12 ? '+' : '') + NAMES[k % 12];
const quantile = (xs, q) => { const s = [...xs].sort((a, b) => a - b); return s[Math.min(s.length - 1, Math.floor(q * s.length))]; };

console.log(`started ${new Date().toISOString()}, load average ${loadavg().map((x) => x.toFixed(2)).join(' ')}`);
const { server, url } = await serve(site);
try {
  for (const [condition, echo] of [['headphones', 0], ['loudspeakers', ECHO]]) {
    const wav = join(work, `${condition}.wav`), plan = join(work, `${condition}.plan`), heard = join(work, `${condition}.heard`);
    const gain = String(PULSE ? 0 : echo);  // through PulseAudio the loopback brings the echo
    execFileSync(bench, ['stream', join(root, 'assets'), join(root, 'tests/platform/voice_corpus.txt'), rendered, gain, wav, plan]);
    const lines = readFileSync(plan, 'utf8').trim().split('\n');
    const lead = Number(lines[0].split(' ')[1]);  // samples from a mark to its phrase
    const phrases = lines.slice(1).map((l) => {
      const [head, question] = l.split(' | ');
      return { offset: Number(head.split(' ')[1]), question: question.split(' ').map((q) => q.split(':').map(Number)) };
    });
    const seconds = (readFileSync(wav).length - 44) / 2 / RATE;

    const browser = await launch(PULSE ? {} : { microphone: wav });
    const context = await browser.newContext({ permissions: ['microphone'] });
    const page = await context.newPage();
    await page.goto(url);
    await page.evaluate(() => window.zorvanta.ready);
    await page.locator('#sing').click();
    await page.waitForFunction(() => window.zorvanta.singing.capture !== null);
    // Each phrase's mark on the page's audio clock, found in the microphone's blocks
    // (a loud attack after half a second of quiet) and taken for the phrase whose mark
    // lies nearest that far after the first one (a mark the capture lost leaves its
    // phrase to the one before; the stream's repetition is ignored), and the phrase's
    // question played by the page at its place after it.
    await page.evaluate(({ phrases, names, lead, rate }) => {
      const { singing, platform } = window.zorvanta;
      const expected = phrases.map((p) => (p.offset - phrases[0].offset) / rate);
      window.marks = [];
      let lastLoud = -Infinity, runStart = -Infinity, quietBefore = 0, armed = false;
      singing.capture.node.port.addEventListener('message', ({ data }) => {
        const sr = platform.audio.sampleRate;
        for (let i = 0; i < data.frames; i++) {
          const x = Math.abs(data.mic[i]), t = data.start + i / sr;
          if (x <= 0.05) continue;
          if (t - lastLoud > 0.002) { runStart = t; quietBefore = t - lastLoud; armed = true; }
          lastLoud = t;
          if (armed && x > 0.6 && quietBefore > 0.5 && t - runStart < 0.005) {
            armed = false;
            const since = window.marks.length ? t - window.marks[0] : 0;
            const p = expected.reduce((best, e, i) => (Math.abs(e - since) < Math.abs(expected[best] - since) ? i : best), 0);
            if (window.marks[p] !== undefined) continue;
            window.marks[p] = t;
            for (const [key, ms] of phrases[p].question) {
              platform.runTick(() => platform.play(platform.soundNames.indexOf(names[key])), t + lead / rate + ms / 1000);
            }
          }
        }
      });
    }, { phrases, names: [...Array(24).keys()].map(keyName), lead, rate: RATE });
    let loopback = null;
    if (PULSE) {
      if (echo) {
        loopback = execFileSync('pactl', ['load-module', 'module-loopback', 'source=cap.monitor', 'sink=mic', 'latency_msec=20']).toString().trim();
        const input = execFileSync('pactl', ['list', 'sink-inputs']).toString().split('Sink Input #')
          .find((block) => block.includes(`Owner Module: ${loopback}\n`));
        execFileSync('pactl', ['set-sink-input-volume', input.split('\n')[0].trim(), String(echo)]);
      }
      spawn('paplay', ['-d', 'mic', wav], { stdio: 'ignore' });
    }
    await page.waitForFunction(() => window.marks.length > 0, null, { timeout: 20000 });
    const first = await page.evaluate(() => window.marks[0]);
    const end = first + seconds - (phrases[0].offset - lead) / RATE + 1;
    await page.waitForFunction((at) => window.zorvanta.platform.audio.currentTime > at, end,
      { timeout: (seconds + 60) * 1000, polling: 1000 });
    const { starts, firstBlock, arrival, marks } = await page.evaluate(() => {
      const { singing } = window.zorvanta;
      return { starts: singing.heard.filter((h) => h.on), firstBlock: singing.firstBlock, arrival: singing.arrival, marks: window.marks };
    });
    await browser.close();
    if (loopback) execFileSync('pactl', ['unload-module', loopback]);
    const found = marks.filter((m) => m != null).length;
    marks.length = phrases.length;
    for (let p = 1; p < phrases.length; p++) marks[p] ??= marks[p - 1] + (phrases[p].offset - phrases[p - 1].offset) / RATE;

    // A stream sample's time on the page's clock and back, by its phrase's mark.
    const markOf = (p) => phrases[p].offset - lead;
    const timeOf = (sample) => { const p = phrases.findLastIndex((_, i) => markOf(i) <= sample); return marks[p] + (sample - markOf(p)) / RATE; };
    const sampleAt = (t) => { const p = marks.findLastIndex((m) => m <= t); return p < 0 ? -1 : markOf(p) + Math.round((t - marks[p]) * RATE); };
    const pageTime = (voiceSample) => firstBlock + voiceSample / RATE;
    writeFileSync(heard, starts.map((h) => `${h.midi} ${sampleAt(pageTime(h.fromSample))}\n`).join(''));
    const counted = execFileSync(bench, ['count', plan, heard]).toString().trim().split('\n');
    const right = counted.filter((l) => l.startsWith('right ')).map((l) => l.split(' ').map(Number).slice(1));
    const latencies = right.map(([line, onset]) => starts[line].judgedAt - (timeOf(onset) * 1000 + arrival));
    // The voice's own share: from the onset to the sample at which it decided.
    const decided = right.map(([line, onset]) => (pageTime(starts[line].atSample) - timeOf(onset)) * 1000);
    console.log(`${condition}: ${counted.at(-1)} (marks found: ${found} of ${phrases.length})`);
    console.log(`${condition}: onset to the voice's decision in audio time median ${quantile(decided, 0.5).toFixed(0)} ms, p95 ${quantile(decided, 0.95).toFixed(0)} ms`);
    console.log(`${condition}: onset to judgment median ${quantile(latencies, 0.5).toFixed(0)} ms, p95 ${quantile(latencies, 0.95).toFixed(0)} ms, ` +
      `max ${Math.max(...latencies).toFixed(0)} ms (${latencies.length} right notes)`);
  }
} finally {
  server.close();
  rmSync(work, { recursive: true, force: true });
}
console.log(`ended ${new Date().toISOString()}, load average ${loadavg().map((x) => x.toFixed(2)).join(' ')}`);
