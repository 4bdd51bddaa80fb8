// Starts the web edition: decodes the pictures and sounds, makes the core, draws the
// window, and from then on passes each action of the player, each MIDI note and each
// timer tick into the core one at a time. While a dialog waits for its answer the
// core is suspended and nothing may enter it: the player's actions go to the dialog
// (as under the desktop's modal box), MIDI notes are dropped, and the ticks that fall
// due are held and delivered when the dialog has closed.
import { Platform } from './platform.js';
import { View, keyCode, modifiersOf } from './view.js';
import { Singing } from './singing.js';

const marks = {};  // performance.now() of the start-up's steps, for the page's tests
let core = null;
let busy = false;  // a call into the core is under way (suspended in a dialog)
let ended = false;
const heldTicks = [];  // [timerId, generation] due while the core was busy

const root = document.getElementById('window');
const view = new View(root, (n, action, { value = 0, repeat = false, mouse = {} }) => enter('zv_act',
  ['number', 'string', 'number', 'number', 'number', 'number', 'number', 'number', 'string'],
  [n, action, value, repeat ? 1 : 0, mouse.button ?? 1, mouse.modifiers ?? 0, mouse.x ?? 0, mouse.y ?? 0,
    mouse.pointer ?? 'mouse']), []);
let gameKeys = new Set();  // the key codes the game takes, from the core
const platform = new Platform({ view, onTick: (id, gen, audioAt) => tick(id, gen, audioAt) });
// A sung note's start enters the core as a MIDI note does (dropped while a dialog waits).
const singing = new Singing({ platform, view, sing: (midi) => enter('zv_sung_note', ['number'], [midi]) });

// Calls an export of the core unless it is busy; true when the call was made.
function enter(name, types, args, audioAt = -1) {
  if (busy || ended || !core) return false;
  busy = true;
  const done = platform.runTick(() => core.ccall(name, null, types, args, { async: true }), audioAt);
  Promise.resolve(done).finally(() => {
    busy = false;
    deliverHeldTicks();
  });
  return true;
}

function tick(id, gen, audioAt) {
  if (busy) heldTicks.push([id, gen]);
  else enter('zv_tick', ['number'], [id], audioAt);
}

// Held ticks run in the order they fell due, unless their timer was restarted or
// stopped meanwhile (a restart begins a new count; a stopped timer never ticks).
function deliverHeldTicks() {
  while (heldTicks.length && !busy) {
    const [id, gen] = heldTicks.shift();
    if (gen === platform.timerGeneration(id)) enter('zv_tick', ['number'], [id]);
  }
}

// Key preview: every key press of the page reaches the game's key handler once,
// before the focused control acts on it. A key the game takes does nothing else,
// with or without Ctrl or Alt: no browser shortcut fires for a piano key.
window.addEventListener('keydown', (e) => {
  if (view.dialogOpen || ended) return;
  const code = keyCode(e);
  if (!code) return;
  if (gameKeys.has(code)) e.preventDefault();
  platform.pressAt = performance.now();
  enter('zv_pc_key', ['number', 'number', 'number'], [code, modifiersOf(e), e.repeat ? 1 : 0]);
  platform.pressAt = -1;
}, { capture: true });

// The moment a press on a key or plate began, for the figures of press-to-sound time.
root.addEventListener('pointerdown', () => { platform.pressAt = performance.now(); }, { capture: true });
root.addEventListener('pointerdown', () => { platform.pressAt = -1; });

document.addEventListener('visibilitychange', () => platform.setHidden(document.hidden));

// Every MIDI input's note-ons, filtered and folded by the core as on the desktop.
// Browsers ask the player before a page may use MIDI: the page asks only when the
// player chooses to (the button under the window), or at once when already allowed.
async function offerMidi() {
  if (!navigator.requestMIDIAccess) return;
  const button = document.getElementById('midi');
  try {
    const permission = await navigator.permissions.query({ name: 'midi' });
    if (permission.state === 'granted') { openMidi(); return; }
    if (permission.state === 'denied') return;
  } catch { /* no permission query for MIDI: offer the button */ }
  button.hidden = false;
  button.addEventListener('click', () => { button.hidden = true; openMidi(); }, { once: true });
}

async function openMidi() {
  try {
    const access = await navigator.requestMIDIAccess();
    const listen = (input) => {
      input.onmidimessage = (m) => {
        const d = m.data;
        if (d.length <= 3) enter('zv_midi', ['number', 'number', 'number', 'number'], [d[0], d[1] ?? 0, d[2] ?? 0, d.length]);
      };
    };
    access.inputs.forEach(listen);
    access.onstatechange = (e) => { if (e.port.type === 'input' && e.port.state === 'connected') listen(e.port); };
  } catch { /* no permission or no MIDI: the other inputs remain */ }
}

// Esc in the idle window ends the game, as on the desktop: the page says so.
platform.onQuit = () => {
  ended = true;
  root.hidden = true;
  document.getElementById('ended').hidden = false;
  document.getElementById('again').focus();
};
document.getElementById('again').addEventListener('click', () => location.reload());

// The window takes the largest size that fits the viewport, up or down from its
// designed size, on a phone and on a large monitor alike: the controls below it are
// scrolled to. The elements are scaled, not a picture of them, so the text and
// the keys' edges stay sharp at any size and pixel ratio.
const MARGIN_PX = 4;  // around the window, as #stage's padding
function fit() {
  const stage = document.getElementById('stage');
  const page = document.documentElement;
  const above = root.offsetTop - stage.offsetTop - MARGIN_PX;  // the notice to turn the phone, when shown
  const scale = Math.min((page.clientWidth - 2 * MARGIN_PX) / root.offsetWidth,
    (page.clientHeight - 2 * MARGIN_PX - above) / root.offsetHeight);
  stage.style.setProperty('--scale', String(Math.max(scale, 0.1)));
}
window.addEventListener('resize', fit);

async function start() {
  platform.createAudio();
  core = await createCore({ platform, view, singing, locateFile: (file) => file });
  // The page's own notices and buttons, from the game's catalogue of texts, and the pictures.
  const texts = JSON.parse(core.ccall('zv_page', 'string', [], []));
  view.texts = texts;
  document.querySelector('#ended p').textContent = texts.ended;
  document.getElementById('again').textContent = texts.again;
  document.getElementById('turn').textContent = texts.turn;
  document.querySelector('#missing p').textContent = texts.missingPicture;
  document.getElementById('midi').textContent = texts.midi;
  await platform.loadPictures(texts.pictures);
  view.pictures = platform.pictures;
  busy = true;
  const failed = await core.ccall('zv_start', 'number', [], [], { async: true });
  busy = false;
  if (failed) {
    ended = true;
    document.getElementById('missing').hidden = false;
    return;
  }
  const described = JSON.parse(core.ccall('zv_describe', 'string', [], []));
  gameKeys = new Set(described.gameKeys);
  platform.soundNames = described.sounds;
  view.build(described);
  document.getElementById('title').textContent = described.caption;
  fit();
  await new Promise(requestAnimationFrame);
  marks.windowDrawn = performance.now();
  // The sounds are fetched and decoded once the window is on screen, which comes that
  // much sooner; a key pressed meanwhile sounds as soon as its sound is decoded.
  await platform.loadSounds(described.sounds);
  marks.soundsDecoded = performance.now();
  offerMidi();
  singing.offer(texts);
}

// A browser without WebAssembly or Web Audio, or a site that could not be loaded.
const ready = start().catch((error) => {
  ended = true;
  root.hidden = true;
  document.getElementById('failed').hidden = false;
  throw error;
});
window.zorvanta = { marks, platform, singing, ready };

if ('serviceWorker' in navigator && location.protocol !== 'file:') navigator.serviceWorker.register('sw.js');
