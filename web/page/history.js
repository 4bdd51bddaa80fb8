// The page's history: every game the core's recorder hands over (as CSV rows, the
// same records as the desktop's file) is kept in this browser's IndexedDB, and
// nothing leaves it. Below the window: 成績, which shows the core's own progress
// drawing with the CSV export and import and the button that forgets it all, and the
// switch that keeps nothing while it is off. Loaded before app.js, so that while the
// progress dialog is open the keys go to it rather than to the game.
const DB_NAME = 'zorvanta-history';
const STORE = 'games';
const SWITCH = 'zorvanta-history-on';

let core = null;
let texts = {};  // the page's texts, from the core
let saidNotKept = false;

const openDb = () => new Promise((resolve, reject) => {
  const request = indexedDB.open(DB_NAME, 1);
  request.onupgradeneeded = () => request.result.createObjectStore(STORE, { keyPath: 'id' });
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});
// A browser without IndexedDB (some private modes) keeps nothing and says so once.
const db = openDb().catch(() => null);

// Runs work(store) in one transaction; resolves with its result when committed.
async function transaction(mode, work) {
  const base = await db;
  if (!base) throw new Error('IndexedDB is not available');
  return new Promise((resolve, reject) => {
    const t = base.transaction(STORE, mode);
    const request = work(t.objectStore(STORE));
    t.oncomplete = () => resolve(request?.result);
    t.onerror = () => reject(t.error);
    t.onabort = () => reject(t.error);
  });
}

const keeping = () => localStorage.getItem(SWITCH) !== 'off';

function notKept(error) {
  if (saidNotKept) return;
  saidNotKept = true;
  note.textContent = texts.notKept;
  note.hidden = false;
  console.warn('zorvanta: history is not kept', error);
}

// A game after each answer and at game over: the newest rows replace the game's.
window.addEventListener('zorvanta-history', (e) => {
  if (keeping()) transaction('readwrite', (s) => s.put(e.detail)).catch(notKept);
});
// The core, once it runs, and the texts of these controls from its catalogue.
window.addEventListener('zorvanta-history-ready', (e) => {
  core = e.detail;
  texts = JSON.parse(core.ccall('zv_page', 'string', [], []));
  for (const [id, key] of [['progressButton', 'progress'], ['keepLabel', 'keepProgress'], ['progressCaption', 'progress'],
    ['settingLabel', 'setting'], ['exportHistory', 'export'], ['importHistory', 'import'],
    ['forgetHistory', 'forget'], ['closeProgress', 'close']]) $(id).textContent = texts[key];
});

// Strings into the core through its heap: a history of thousands of games is far
// larger than ccall's stack.
function call(name, text, types = [], args = []) {
  const size = core.lengthBytesUTF8(text) + 1;
  const at = core._malloc(size);
  try {
    core.stringToUTF8(text, at, size);
    return core.ccall(name, 'string', ['number', ...types], [at, ...args]);
  } finally {
    core._free(at);
  }
}

async function wholeCsv() {
  const games = await transaction('readonly', (s) => s.getAll());
  games.sort((a, b) => a.startedMs - b.startedMs || (a.id < b.id ? -1 : 1));
  return core.ccall('zv_history_header', 'string', [], []) + games.map((g) => g.rows).join('');
}

// The elements below the window and the progress dialog.
const bar = document.createElement('div');
bar.id = 'history';
bar.innerHTML = `<button id="progressButton" type="button"></button>
<label><input id="historySwitch" type="checkbox"> <span id="keepLabel"></span></label>
<p id="historyNote" hidden></p>`;
const dialog = document.createElement('dialog');
dialog.id = 'progress';
dialog.innerHTML = `<div class="caption" id="progressCaption"></div>
<div class="tools"><label><span id="settingLabel"></span> <select id="progressFilter"></select></label>
<button id="exportHistory" type="button"></button>
<button id="importHistory" type="button"></button><input id="importFile" type="file" accept=".csv,text/csv" hidden>
<button id="forgetHistory" type="button"></button>
<button id="closeProgress" type="button"></button></div>
<p id="progressNote" hidden></p>
<div id="progressPicture"></div>`;
const $ = (id) => dialog.querySelector(`#${id}`) ?? bar.querySelector(`#${id}`);
const note = $('historyNote');
const progressNote = $('progressNote');
const say = (text) => { progressNote.textContent = text; progressNote.hidden = !text; };

async function draw() {
  try {
    const csv = await wholeCsv();
    const filter = $('progressFilter');
    const chosen = filter.selectedIndex;
    const settings = call('zv_history_settings', csv).split('\n').filter(Boolean);
    filter.replaceChildren(...[texts.allSettings, ...settings].map((caption) => new Option(caption)));
    filter.selectedIndex = Math.max(0, Math.min(chosen, settings.length));
    const offset = -new Date().getTimezoneOffset();
    // The core's own drawing, shown as it is: its text is escaped there.
    $('progressPicture').innerHTML = call('zv_history_svg', csv, ['number', 'number', 'number'],
      [offset, Date.now(), filter.selectedIndex]);
  } catch (error) {
    notKept(error);
    say(texts.unreadable);
  }
}

async function importFile(file) {
  const limit = core.ccall('zv_history_max_bytes', 'number', [], []);
  if (file.size > limit) { say(`${texts.cannotImport}${Math.floor(limit / 1048576)}${texts.tooLarge}`); return; }
  const checked = call('zv_history_check', await file.text());
  if (checked.startsWith('!')) { say(`${texts.cannotImport}${checked.slice(1)}`); return; }
  const games = JSON.parse(checked);
  // Only games not kept yet are added; a kept game is never changed.
  const kept = new Set(await transaction('readonly', (s) => s.getAllKeys()));
  const added = games.filter((g) => !kept.has(g.id));
  await transaction('readwrite', (s) => { added.forEach((g) => s.add(g)); });
  say(`${added.length}${texts.importedGames}${games.length - added.length}${texts.alreadyKept}`);
  await draw();
}

function exportFile(csv) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([csv], { type: 'text/csv' }));
  link.download = texts.csvFileName;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}

window.addEventListener('DOMContentLoaded', () => {
  document.getElementById('window').after(bar);
  document.body.append(dialog);
  const toggle = $('historySwitch');
  toggle.checked = keeping();
  toggle.addEventListener('change', () => localStorage.setItem(SWITCH, toggle.checked ? 'on' : 'off'));
  $('progressButton').addEventListener('click', async () => {
    if (!core) return;
    say('');
    dialog.showModal();
    await draw();
  });
  $('progressFilter').addEventListener('change', draw);
  $('closeProgress').addEventListener('click', () => dialog.close());
  $('exportHistory').addEventListener('click', async () => exportFile(await wholeCsv()));
  $('importHistory').addEventListener('click', () => $('importFile').click());
  $('importFile').addEventListener('change', async (e) => {
    const [file] = e.target.files;
    e.target.value = '';
    if (file) await importFile(file).catch((error) => say(`${texts.cannotImport}${error.message}`));
  });
  $('forgetHistory').addEventListener('click', async () => {
    if (!confirm(texts.askForget)) return;
    await transaction('readwrite', (s) => s.clear()).catch(notKept);
    await draw();
  });
});

// While the progress dialog is open the keys are its own, not the game's.
window.addEventListener('keydown', (e) => { if (dialog.open && e.key !== 'Escape') e.stopImmediatePropagation(); },
  { capture: true });
