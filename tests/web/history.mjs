// The page's history in headless chromium, one case per row: a game kept in
// IndexedDB and drawn by 成績; CSV import merging without duplicates, a hostile file
// refused, the export; a key touched kept as touched; the switch that keeps nothing.
//   node tests/web/history.mjs <build-web/site>
import assert from 'node:assert/strict';
import { runCases } from '../../web/browser.mjs';

const site = process.argv[2];
const WHITE = ['do', 're', 'mi', 'fa', 'so', 'ra', 'si'];
const BLACK = ['do#', 're#', 'fa#', 'so#', 'ra#'];
// Sound name -> the PC key that plays it (the desktop's key map).
const PC_KEY = Object.fromEntries([
  ...[...'QWERTYUZXCVBNM'].map((k, i) => [(i < 7 ? '' : '+') + WHITE[i % 7], k]),
  ...[...'23567SDGHJ'].map((k, i) => [(i < 5 ? '' : '+') + BLACK[i % 5], k]),
]);
const HEADER = 'game_id,started_utc,notes_per_question,key_range,time_limit_s,game_ms,game_questions,game_rights,game_finished,question,melody,answered,verdict,replays,answer_shown,answer_ms,input';
const csv = (input) => `${HEADER}\r\ng1,2026-12-01T10:00:00.000Z,3,0,30,30000,1,1,1,0,0 4 7,0 4 7,right,0,0,1200,${input}\r\n`;
const kept = (page) => page.evaluate(() => new Promise((resolve) => {
  indexedDB.open('zorvanta-history').onsuccess = (e) => {
    e.target.result.transaction('games').objectStore('games').getAll().onsuccess = (r) => resolve(r.target.result);
  };
}));
const note = (page) => page.locator('#progressNote').textContent();
const importText = (page, text) => page.locator('#importFile').setInputFiles({ name: 'h.csv', mimeType: 'text/csv', buffer: Buffer.from(text) });

// A single-note game: one question answered right (with its PC key unless told), then STOP.
async function playOne(page, play = (note) => page.keyboard.press(PC_KEY[note])) {
  await page.locator('#modeOption-1').click();
  await page.locator('#startStopButton').click();
  await page.waitForFunction(() => window.zorvanta.platform.trace.some((e) => e.tick), null, { timeout: 10000 });
  const note = await page.evaluate(() => window.zorvanta.platform.trace.findLast((e) => e.tick).name);
  await play(note);
  await page.waitForFunction(() => document.querySelector('#rightsLabel').textContent === '1');
  await page.locator('#startStopButton').click();
  await page.locator('#dialog[open]').waitFor();
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.querySelector('#startStopButton').textContent === 'START');
}

const cases = [
  ['a game played is kept in IndexedDB and drawn by 成績', async (page) => {
    await playOne(page);
    const games = await kept(page);
    assert.equal(games.length, 1);
    assert.match(games[0].rows, /^\S+,\S+Z,1,0,30,\d+,1,1,1,0,(\d+),\1,right,0,0,\d+,keys\r\n$/);
    await page.locator('#progressButton').click();
    await page.locator('#progressPicture svg').waitFor();
    assert.match(await page.locator('#progressPicture').textContent(), /ゲーム数:1 +問題数:1 +正解数:1/);
  }],
  ['import merges without duplicates, refuses a hostile file, and exports what is kept', async (page) => {
    await page.locator('#progressButton').click();
    await importText(page, csv('keys'));
    await page.waitForFunction(() => /1件のゲーム/.test(document.querySelector('#progressNote').textContent));
    await importText(page, csv('mouse'));
    await page.waitForFunction(() => /0件のゲーム/.test(document.querySelector('#progressNote').textContent));
    assert.match(await note(page), /1件は記録済み/);
    await importText(page, csv('=1+1'));
    await page.waitForFunction(() => /formula/.test(document.querySelector('#progressNote').textContent));
    const games = await kept(page);
    assert.equal(games.length, 1);
    assert.match(games[0].rows, /,keys\r\n$/, 'a kept game is never changed');
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#exportHistory').click()]);
    const chunks = [];
    for await (const chunk of await download.createReadStream()) chunks.push(chunk);
    assert.equal(Buffer.concat(chunks).toString(), csv('keys'));
  }],
  ['a key touched is kept as touched', async (page) => {
    await page.locator('#keyRangeOption-3').click();  // the lower white keys: a note names its key
    await playOne(page, async (note) => {
      const key = page.locator(`#whiteKey-${WHITE.indexOf(note)}`);
      await key.tap({ position: { x: 10, y: (await key.boundingBox()).height - 10 } });  // below the black keys
    });
    assert.match((await kept(page))[0].rows, /,right,0,0,\d+,touch\r\n$/);
  }, { hasTouch: true }],
  ['with the switch off nothing is kept', async (page) => {
    await page.locator('#historySwitch').uncheck();
    await playOne(page);
    assert.deepEqual(await kept(page), []);
  }],
];

await runCases(site, cases.map(([name, run, options]) => [name, run, { acceptDownloads: true, ...options }]));
