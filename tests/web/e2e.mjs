// The web edition in headless chromium, one player's session per case, the whole
// games in firefox-esr and WebKitGTK too (run by tests/web/run.sh, which gives firefox
// a sound server and MiniBrowser a display):
//   node tests/web/e2e.mjs <build-web/site> <desktop build folder>
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { runCases } from '../../web/browser.mjs';

const site = process.argv[2];
const desktop = process.argv[3];
// The virtual microphone: a WAV the sung case writes before it turns singing on,
// starting with a second of silence (the browser plays it from when it opens it).
const micFolder = mkdtempSync(join(tmpdir(), 'zorvanta-mic-'));
const MICROPHONE = join(micFolder, 'sung.wav');
const sing = (notes) => execFileSync(`${desktop}/bin/sing_wav`, ['--lead', '1000', MICROPHONE, '450', ...notes.map(String)]);
sing([60]);
const WHITE = ['do', 're', 'mi', 'fa', 'so', 'ra', 'si'];
const BLACK = ['do#', 're#', 'fa#', 'so#', 'ra#'];
// Sound name -> the PC key that plays it (the desktop's key map).
const PC_KEY = Object.fromEntries([
  ...[...'QWERTYUZXCVBNM'].map((k, i) => [(i < 7 ? '' : '+') + WHITE[i % 7], k]),
  ...[...'23567SDGHJ'].map((k, i) => [(i < 5 ? '' : '+') + BLACK[i % 5], k]),
]);

const keyId = (name) => {
  const high = name.startsWith('+') ? 1 : 0;
  const note = name.replace('+', '');
  return WHITE.includes(note) ? `#whiteKey-${WHITE.indexOf(note) + 7 * high}` : `#blackKey-${BLACK.indexOf(note) + 5 * high}`;
};
const trace = (page) => page.evaluate(() => window.zorvanta.platform.trace.map((t) => ({ ...t })));
const text = (page, id) => page.evaluate((s) => document.querySelector(s).textContent, id);
const shown = (page, id) => page.locator(id).isVisible();
const dialogText = (page) => text(page, '#dialog .text');
const box = (page, id) => page.evaluate((s) => document.querySelector(s).getBoundingClientRect().toJSON(), id);

// Waits for the melody (the notes its ticks start) and returns their trace entries.
async function melody(page, notes = 5) {
  await page.waitForFunction((n) => {
    const t = window.zorvanta.platform.trace;
    const i = t.findLastIndex((e) => !e.tick);
    return t.slice(i + 1).length >= n;
  }, notes, { timeout: 10000 });
  const t = await trace(page);
  return t.slice(t.findLastIndex((e) => !e.tick) + 1);
}
// The tab hidden or shown, as the browser reports it (the game's time stands still).
const setHidden = (page, hidden) => page.evaluate((h) => {
  Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
  document.dispatchEvent(new Event('visibilitychange'));
}, hidden);
const wrongKey = (notes) => (notes[0].name === 'do' ? 'W' : 'Q');
// With 正解確認 on, a wrong answer to the first question: the dialog asks to show it.
async function toShowAnswerDialog(page) {
  await page.locator('#askDemonstrationCheck').click();
  await page.locator('#startStopButton').click();
  const notes = await melody(page);
  await page.keyboard.press(wrongKey(notes));
  await page.locator('#dialog[open]').waitFor();
  return notes;
}
const ENGINES = { engines: ['chromium', 'firefox', 'webkit'] };
// Violations of serious or critical impact axe-core finds in the page as it stands.
const axeReport = async (page) => {
  await page.addScriptTag({ path: createRequire(import.meta.url).resolve('../../web/node_modules/axe-core/axe.min.js') });
  const { violations } = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return violations.filter((v) => ['serious', 'critical'].includes(v.impact)).map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`);
};
// The states axe-core checks, each reached from the idle window.
const AXE_STATES = [
  ['the idle window', async () => {}],
  ['a question', async (page) => { await page.locator('#startStopButton').click(); await melody(page, 2); }],
  ['a dialog', toShowAnswerDialog],
  ['the summary', async (page) => {
    await page.locator('#startStopButton').click();
    await melody(page);
    await page.locator('#startStopButton').click();
    await page.locator('#dialog[open]').waitFor();
  }],
];
// A phone sideways and upright (touch), a large monitor.
const VIEWPORTS = [[844, 390, true], [390, 844, true], [1920, 1000, false]];
const SIDEWAYS = { width: 844, height: 390, touch: true };

// A whole default game, by PC keys or by touch: one question right, one wrong, STOP
// and the summary.
const wholeGame = (byTouch) => async (d) => {
  const press = (id) => (byTouch ? d.tap(id) : d.click(id));
  if (byTouch) assert.ok((await box(d, '#whiteKey-0')).width >= 48, 'a white key fits a finger');
  await press('#startStopButton');
  await d.waitForFunction(() => window.zorvanta.platform.audio.state === 'running');
  const first = await melody(d);
  const quantum = await d.evaluate(() => 128 / window.zorvanta.platform.audio.sampleRate);
  // Exactly, where the timers keep within the page's lead (WebKitGTK's here do not).
  for (let i = 1; i < 5 && d.engine === 'chromium'; i++) assert.ok(Math.abs(first[i].at - first[i - 1].at - 0.5) <= quantum, `notes 500 ms apart: ${first.map((n) => n.at)}`);
  assert.equal(await text(d, '#startStopButton'), 'STOP');
  await d.waitForFunction(() => !document.querySelector('#whiteKey-0').disabled);
  for (const n of first) await (byTouch ? d.tap(keyId(n.name)) : d.press(PC_KEY[n.name]));
  await d.waitForFunction(() => document.querySelector('#rightsLabel').textContent === '1');
  assert.equal(await d.evaluate(() => document.querySelector('#verdictPicture > img').alt), '正解');
  const second = await melody(d);
  await d.waitForFunction(() => !document.querySelector('#whiteKey-0').disabled);
  await (byTouch ? d.tap(keyId(second[0].name === 'do' ? 're' : 'do')) : d.press(wrongKey(second)));
  await d.waitForFunction(() => document.querySelector('#questionsLabel').textContent === '2');
  assert.equal(await d.evaluate(() => document.querySelector('#verdictPicture > img').alt), '不正解');
  await press('#startStopButton');
  await d.waitForFunction(() => document.querySelector('#dialog').open);
  assert.equal(await text(d, '#dialog .caption'), '5音メロディー:30秒');
  assert.equal(await dialogText(d), '問題数:2\n正解数:1\n正解率:50%');
  await press('#dialog .buttons button');
  await d.waitForFunction(() => document.querySelector('#startStopButton').textContent === 'START');
};
const midiOf = (name) => 60 + (name.startsWith('+') ? 12 : 0) +
  [0, 2, 4, 5, 7, 9, 11, 1, 3, 6, 8, 10][[...WHITE, ...BLACK].indexOf(name.replace('+', ''))];

// The page reloaded once its service worker has cached the site and controls the
// page; offline, from the worker's cache alone.
const reloadFromWorker = async (page, context, { offline = false } = {}) => {
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(offline);
  await page.reload();
  await page.evaluate(() => window.zorvanta.ready);
};

const cases = [
  ['a whole default game by PC keys', wholeGame(false), ENGINES],
  ['a whole default game by touch on a phone held sideways', wholeGame(true), { ...ENGINES, viewport: SIDEWAYS }],
  // Under the browser's own autoplay policy: silent until the first touch, which starts the sound.
  ['the first touch, on START, sounds its chime under the browser\'s own autoplay policy', async (d) => {
    assert.equal(await d.evaluate(() => window.zorvanta.platform.audio.state), 'suspended');
    await d.tap('#startStopButton');
    await d.waitForFunction(() => window.zorvanta.platform.audio.state === 'running');
    assert.deepEqual((await trace(d)).slice(0, 1).map((t) => [t.name, t.tick]), [['+++do', false]]);
  }, { ...ENGINES, viewport: SIDEWAYS, autoplay: 'default' }],
  ...VIEWPORTS.map(([width, height, touch]) => [`the window fills ${width}x${height}`, async (page) => {
    const [win, key, black, turn] = await Promise.all(['#window', '#whiteKey-0', '#blackKey-0', '#turn'].map((id) => box(page, id)));
    console.log(`     white key ${key.width.toFixed(1)} x ${key.height.toFixed(1)} px, black key ${black.width.toFixed(1)} px, window ${win.width.toFixed(0)} x ${win.height.toFixed(0)} px`);
    assert.ok(win.left >= 0 && win.right <= width && win.top >= turn.bottom && win.bottom <= height, 'inside the viewport');
    assert.ok(win.width >= width - 10 || win.bottom >= height - 10, 'as large as fits');
    assert.equal(turn.height > 0, height > width, 'the notice to turn the phone when upright');
  }, { viewport: { width, height, touch } }]),
  ...AXE_STATES.map(([state, reach]) => [`axe-core finds nothing serious on ${state}`, async (page) => {
    await reach(page);
    assert.deepEqual(await axeReport(page), []);
  }]),
  ['Chromium finds the page installable, with icons of the sizes the manifest gives', async (page, context) => {
    const cdp = await context.newCDPSession(page);
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    const icons = await page.evaluate(async () => Promise.all((await (await fetch('manifest.webmanifest')).json()).icons.filter((i) => i.type === 'image/png')
      .map(async (i) => createImageBitmap(await (await fetch(i.src)).blob()).then((b) => [i.sizes, i.purpose ?? 'any', `${b.width}x${b.height}`]))));
    assert.ok(icons.every(([sizes, , real]) => sizes === real), JSON.stringify(icons));
    assert.deepEqual(icons.filter(([sizes, purpose]) => sizes === '512x512' || purpose === 'maskable').map(([, p]) => p), ['any', 'maskable']);
  }, { serviceWorkers: 'allow', persistent: true }],
  ['正解確認 with Yes demonstrates on blue keys, then 次の問題', async (page) => {
    const notes = await toShowAnswerDialog(page);
    assert.equal(await dialogText(page), '正解を表示しますか?');
    await page.locator('#dialog button', { hasText: 'Yes' }).click();
    // Each demonstrated note's key turns blue as it sounds.
    const firstShown = await melody(page, 1);
    assert.equal(firstShown[0].name, notes[0].name);
    assert.equal(await page.locator(keyId(notes[0].name)).evaluate((k) => k.style.backgroundColor), 'rgb(0, 0, 255)');
    const shownAgain = await melody(page);
    assert.deepEqual(shownAgain.map((n) => n.name), notes.map((n) => n.name));
    assert.ok(await shown(page, '#nextQuestionButton') && await shown(page, '#showAnswerButton'));
    await page.locator('#nextQuestionButton').click();
    assert.equal((await melody(page)).length, 5);
  }],
  ['keys, clicks and ticks do nothing while a dialog is open', async (page) => {
    const notes = await toShowAnswerDialog(page);
    const before = await trace(page);
    const countdown = await text(page, '#countdownLabel');
    for (const k of ['Q', '2', 'Z']) await page.keyboard.press(k);
    const key = await page.locator('#whiteKey-3').boundingBox();
    await page.mouse.click(key.x + 10, key.y + 100);
    await page.waitForTimeout(1300);
    assert.equal((await trace(page)).length, before.length, 'no sound while the dialog is open');
    assert.equal(await text(page, '#countdownLabel'), countdown, 'no countdown tick into the waiting game');
    await page.keyboard.press('n');
    const next = await melody(page);
    assert.equal(next.length, 5);
    assert.ok(Number(await text(page, '#countdownLabel')) < Number(countdown), 'the held ticks count down afterwards');
  }],
  ['Ctrl, Alt and Shift with a piano key play it, and the browser does nothing with it', async (page) => {
    await page.evaluate(() => {
      window.kept = [];
      window.addEventListener('keydown', (e) => window.kept.push(e.defaultPrevented));
    });
    for (const k of ['Control+W', 'Control+R', 'Control+2', 'Alt+Q', 'Shift+M']) await page.keyboard.press(k);
    assert.deepEqual((await trace(page)).map((t) => t.name), ['re', 'fa', 'do#', 'do', '+si']);
    assert.deepEqual(await page.evaluate(() => window.kept.filter((prevented, i) => i % 2 === 1)), [true, true, true, true, true]);
  }],
  ['a timer armed while the tab is hidden keeps its time when it shows', async (page) => {
    await setHidden(page, true);
    await page.locator('#startStopButton').click();
    await setHidden(page, false);
    const shownAt = await page.evaluate(() => performance.now());
    const first = await melody(page, 1);
    // The banner and the pause before the first note take two seconds; with the
    // banner's ticks run back to back, 0.7 s.
    const took = first[0].scheduledAt - shownAt;
    assert.ok(took > 1500, `the first note came ${took} ms after the tab showed`);
  }],
  ['Esc during the banner ends the game and stops its timers', async (page) => {
    await setHidden(page, true);  // the banner stands still until Esc
    await page.locator('#startStopButton').click();
    await page.keyboard.press('Escape');
    await setHidden(page, false);
    assert.ok(await shown(page, '#ended'));
    assert.ok(await page.evaluate(() => window.zorvanta.platform.timers.every((t) => !t.enabled && !t.handle)));
  }],
  ['a MIDI note while a dialog waits does not enter the game', async (page) => {
    const notes = await toShowAnswerDialog(page);
    const before = (await trace(page)).length;
    const midi = (note) => page.evaluate((n) => window.midiInput.onmidimessage({ data: [0x90, n, 100] }), note);
    await midi(60);
    assert.equal((await trace(page)).length, before, 'no sound while the dialog is open');
    await page.keyboard.press('n');
    await melody(page);
    await page.waitForFunction(() => !document.querySelector('#whiteKey-0').disabled);
    await midi(60);
    assert.equal((await trace(page)).at(-1).name, 'do');
  }, { init: () => {
    window.midiInput = { type: 'input' };
    navigator.permissions.query = async () => ({ state: 'granted' });
    navigator.requestMIDIAccess = async () => ({ inputs: new Map([['in', window.midiInput]]) });
  } }],
  ['a melody answered by singing an octave below the piano, and singing on again at the next visit', async (page) => {
    const fetched = () => page.evaluate(() => performance.getEntriesByType('resource').some((e) => e.name.endsWith('voice.wasm')));
    assert.ok(!(await fetched()), 'the voice is fetched only when singing is turned on');
    await page.locator('#startStopButton').click();
    const notes = await melody(page);
    sing(notes.map((n) => midiOf(n.name) - 12));
    const pressesBefore = (await trace(page)).filter((t) => !t.tick).length;
    await page.locator('#sing').click();
    await page.waitForFunction(() => document.querySelector('#rightsLabel').textContent === '1', null, { timeout: 20000 });
    assert.equal(await page.locator('#verdictPicture > img').getAttribute('alt'), '正解');
    assert.equal((await trace(page)).filter((t) => !t.tick).length, pressesBefore, 'a sung key makes no sound');
    assert.ok(await fetched());
    await page.reload();
    await page.evaluate(() => window.zorvanta.ready);
    await page.waitForFunction(() => window.zorvanta.singing.capture !== null);
    assert.equal(await page.locator('#sing').getAttribute('aria-pressed'), 'true');
  }, { permissions: ['microphone'] }],
  ['a refused microphone is said below the window, and singing stays off', async (page) => {
    await page.locator('#sing').click();
    await page.locator('#sing-note').waitFor();
    assert.match(await text(page, '#sing-note'), /許可されていません/);
    assert.equal(await page.locator('#sing').getAttribute('aria-pressed'), 'false');
  }],
  ['Esc in the idle window ends the game and offers to start again', async (page) => {
    await page.keyboard.press('Escape');
    assert.ok(await shown(page, '#ended'));
    assert.ok(!(await shown(page, '#window')));
  }],
  ['after one visit the page plays offline', async (page, context) => {
    await reloadFromWorker(page, context);
    await reloadFromWorker(page, context, { offline: true });
    await page.keyboard.press('Z');
    assert.equal((await trace(page)).at(-1).name, '+do');
  }, { serviceWorkers: 'allow' }],
  ['singing, once turned on, comes back offline at the next visit', async (page, context) => {
    await reloadFromWorker(page, context);  // the worker keeps the voice's files once fetched
    await page.locator('#sing').click();
    await page.waitForFunction(() => window.zorvanta.singing.capture !== null);
    await reloadFromWorker(page, context, { offline: true });
    await page.waitForFunction(() => window.zorvanta.singing.capture !== null);
    assert.equal(await page.locator('#sing').getAttribute('aria-pressed'), 'true');
  }, { serviceWorkers: 'allow', permissions: ['microphone'] }],
  ['a missing picture is refused with the desktop\'s text', async (page) => {
    await page.locator('#dialog[open]').waitFor();
    assert.equal(await text(page, '#dialog .caption'), 'Zorvanta');
    assert.equal(await dialogText(page), 'maru.jpg が見つかりません。\nCannot find the picture maru.jpg.');
    await page.keyboard.press('Enter');
    await page.locator('#missing').waitFor();
  }, { missing: 'maru.jpg' }],
];

// The parity of the two views: each script played through the page (its time held
// still) and through the desktop's window (zorvanta_parity_view) leaves the same
// trace in the core. Steps: key:K (key:K*n held for n presses), click:control,
// bar:y (a click y designed pixels from the bar's top, or bottom if negative), wheel:angle.
const PARITY = [
  ['held Enter on START', 'key:Enter*17'],
  ['piano keys with Ctrl, Alt, Shift', 'key:Control+W key:Control+R key:Control+2 key:Alt+Q key:Shift+M'],
  ['the bar by arrow keys', 'bar:7 key:ArrowUp key:ArrowDown key:ArrowDown key:ArrowDown key:ArrowLeft key:ArrowRight key:ArrowRight'],
  ['the bar by PageUp, PageDown, Home, End', 'bar:-7 key:PageUp key:PageUp key:PageDown key:End key:Home'],
  ['the bar by its arrows and trough', 'bar:7 bar:16 bar:-16 bar:-16 bar:-7'],
  ['the bar by the wheel, a notch at a time', 'wheel:120 wheel:120 wheel:-120 wheel:-120 wheel:-120'],
  ['a click on every kind of control', 'click:difficultyOption(0) click:difficultyOption(0) click:keyRangeOption(2) ' +
    'click:noLimitCheck click:noteNamesCheck click:askDemonstrationCheck click:modeOption(1) click:whiteKey(3) ' +
    'click:blackKey(2) click:notePlate(5) click:startStopButton'],
  ['Tab round the window', 'key:Tab '.repeat(4) + 'key:ArrowUp ' + 'key:Tab '.repeat(12) + 'key:Space'],
  ['Shift+Tab from START', 'key:Shift+Tab key:Space key:Shift+Tab key:Shift+Tab key:Space'],
  ['Esc in the idle window', 'key:Escape'],
  ['Esc during the banner', 'click:startStopButton key:Escape'],
];
async function playScript(page, steps) {
  await setHidden(page, true);
  const bar = await page.locator('#timeLimitBar').boundingBox();
  const scale = await page.evaluate(() => document.getElementById('window').getBoundingClientRect().width / 619);
  for (const step of steps.split(' ')) {
    const [kind, what] = step.split(':');
    if (kind === 'key') {
      const [key, times = 1] = what.split('*');
      if (key.includes('+')) await page.keyboard.press(key);  // with modifiers
      else {
        for (let i = 0; i < times; i++) await page.keyboard.down(key);  // held: the later ones repeat
        await page.keyboard.up(key);
      }
    }
    if (kind === 'click') await page.locator(`#${what.replace('(', '-').replace(')', '')}`).click();
    if (kind === 'bar') await page.mouse.click(bar.x + bar.width / 2, (Number(what) >= 0 ? bar.y : bar.y + bar.height) + Number(what) * scale);
    if (kind === 'wheel') { await page.mouse.move(bar.x + bar.width / 2, bar.y + bar.height / 2); await page.mouse.wheel(0, -Number(what)); }
  }
  return page.evaluate(() => {
    const { platform } = window.zorvanta;
    const quit = document.getElementById('ended').hidden ? 0 : 1;
    return [`sounds${platform.trace.map((t) => ` ${t.name}`).join('')}`, `quit ${quit}`,
      ...platform.view.controls.map((c) => `${c.id} ${c.value} ${c.caption} ${c.visible}${c.enabled}`)].join(' | ');
  });
}
const desktopTraces = Object.fromEntries(execFileSync(`${process.argv[3]}/bin/zorvanta_parity_view`, {
  input: PARITY.map(([name, steps]) => `${name}\t${steps}\n`).join(''), stdio: ['pipe', 'pipe', 'ignore'], env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
}).toString().trim().split('\n').map((l) => l.split('\t')));
for (const [name, steps] of PARITY) {
  cases.push([`the same trace on both views: ${name}`, async (page) => assert.equal(await playScript(page, steps), desktopTraces[name])]);
}

process.on('exit', () => rmSync(micFolder, { recursive: true, force: true }));
await runCases(site, cases, { microphone: MICROPHONE });
