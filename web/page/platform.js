// The browser's side of the game's platform services (src/platform/web): one voice
// of Web Audio, the two timers, the modal dialogs and the decoded pictures. The core
// reaches these through Module.platform; `enter` (app.js) is the one way back in.


// Sounds started by a timer tick are placed on the audio clock at the tick's due time
// plus this lead, so the notes of a question lie exactly one interval apart whatever
// the page's own jitter; a key press starts its sound at once.
const TICK_LEAD_S = 0.03;

export class Platform {
  constructor({ onTick, view }) {
    this.onTick = onTick;       // (timerId) => void: delivers a tick into the core
    this.view = view;
    this.audio = null;
    this.soundNames = [];       // sound id -> name
    this.buffers = new Map();   // sound name -> { buffer, offset } (offset skips encoder silence)
    this.voice = null;
    this.starts = 0;
    this.decoding = new Map();  // sound name -> its decoding, while the sounds load
    this.timers = [0, 1].map(() => ({ interval: 0, enabled: false, gen: 0, handle: 0, anchor: 0, k: 0, audioAnchor: 0 }));
    this.tickAudioTime = -1;    // set while a tick runs in the core
    this.pictures = [];         // { path, url, width, height }
    this.hidden = false;
    this.onQuit = () => {};
    this.trace = [];            // recent sound starts, for the page's tests and figures
    this.pressAt = -1;          // performance.now() of the input event being handled
  }

  // ----- sound -----
  createAudio() {
    const Ctx = window.AudioContext || window.webkitAudioContext;
    this.audio = new Ctx({ latencyHint: 'interactive' });
    // Everything the game plays passes here on its way out: the voice's echo
    // reference taps it (singing.js).
    this.output = this.audio.createGain();
    this.output.connect(this.audio.destination);
    // Browsers start a context suspended until the player's first gesture, which for
    // a finger some count at its touch and others only as it lifts: a key touched
    // first sounds as soon as the context may run.
    const resume = () => { if (this.audio.state !== 'running') this.audio.resume(); };
    for (const type of ['pointerdown', 'keydown', 'touchstart', 'pointerup', 'touchend']) window.addEventListener(type, resume, { capture: true });
  }

  // The game's sounds by name; sound/files.json (made with the site) names each one's file.
  async loadSounds(names) {
    const files = await fetch('sound/files.json').then((r) => r.json()).catch(() => ({}));
    await Promise.all(names.map((name) => this.decoding.set(name, this.loadSound(name, files[name])).get(name)));
    this.decoding.clear();
  }

  async loadSound(name, file) {
    try {
      if (!file) return;
      const response = await fetch(`sound/${file}`);
      if (!response.ok) return;
      const buffer = await this.audio.decodeAudioData(await response.arrayBuffer());
      this.buffers.set(name, { buffer, offset: leadingSilence(buffer) });
    } catch { /* a missing or broken file stays silent */ }
  }

  // Sound number id of the core's list (soundNames, from the core at start).
  play(id) {
    const name = this.soundNames[id];
    const sound = this.buffers.get(name);
    const started = ++this.starts;
    // A key pressed in the moment before its sound is decoded sounds once it is,
    // unless another sound has started meanwhile.
    if (!sound && this.decoding.has(name)) {
      this.decoding.get(name).then(() => { if (this.starts === started && this.buffers.has(name)) this.play(id); });
      return;
    }
    if (!sound || !this.audio) return;
    const source = this.audio.createBufferSource();
    source.buffer = sound.buffer;
    source.connect(this.output);
    const now = this.audio.currentTime;
    const at = this.tickAudioTime > now ? this.tickAudioTime : 0;
    // One voice: the new sound cuts the old one where the new one starts.
    if (this.voice) { try { this.voice.stop(at); } catch { /* already stopped */ } }
    source.start(at, sound.offset);
    this.voice = source;
    this.trace.push({ name, at: at || now, scheduledAt: performance.now(), pressAt: this.pressAt, tick: this.tickAudioTime >= 0 });
    if (this.trace.length > 512) this.trace.shift();
  }

  // ----- timers -----
  // Desktop semantics: a changed interval restarts a running timer, a disabled one
  // never ticks. Ticks are due at anchor + k * interval (no drift); a timer that fell
  // more than an interval behind skips the missed ticks, as the desktop's does.
  setTimer(id, interval, enabled) {
    const t = this.timers[id];
    t.interval = interval;
    t.enabled = enabled;
    clearTimeout(t.handle);
    t.handle = 0;
    t.gen++;
    if (enabled && interval > 0) this.anchorTimer(t, performance.now());
  }

  anchorTimer(t, anchor) {
    t.anchor = anchor;
    t.k = 0;
    const now = performance.now();
    t.audioAnchor = (this.audio ? this.audio.currentTime : 0) + TICK_LEAD_S + (anchor - now) / 1000;
    this.scheduleTimer(t);
  }

  // While the page is hidden a timer only notes how long it has left to run.
  scheduleTimer(t) {
    const due = t.anchor + (t.k + 1) * t.interval;
    const wait = Math.max(0, due - performance.now());
    if (this.hidden) t.remaining = wait;
    else t.handle = setTimeout(() => this.fireTimer(t), wait);
  }

  fireTimer(t) {
    t.handle = 0;
    if (!t.enabled || t.interval <= 0) return;
    t.k++;
    const late = performance.now() - (t.anchor + t.k * t.interval);
    // A tick more than an interval late starts its sound at once (0), and is still a
    // tick's in the trace.
    const audioAt = late > t.interval ? 0 : t.audioAnchor + (t.k * t.interval) / 1000;
    if (late > t.interval) this.anchorTimer(t, performance.now());
    else this.scheduleTimer(t);
    this.onTick(this.timers.indexOf(t), t.gen, audioAt);
  }

  // Runs a call into the core, a tick's with its sounds placed at audioAt (0: at once;
  // -1: not a tick's, at once too).
  runTick(deliver, audioAt) {
    this.tickAudioTime = audioAt;
    try { return deliver(); } finally { this.tickAudioTime = -1; }
  }

  timerGeneration(id) { return this.timers[id].gen; }

  // A tab in the background gets its timers slowed to a tick a second or less, which
  // would stretch a question's notes and the countdown: the game's time stops while
  // the page is hidden and goes on where it stood when the page is shown again.
  setHidden(hidden) {
    if (hidden === this.hidden) return;
    const now = performance.now();
    this.hidden = hidden;
    for (const t of this.timers) {
      if (!t.enabled || t.interval <= 0) continue;
      if (hidden) {
        clearTimeout(t.handle);
        t.handle = 0;
        this.scheduleTimer(t);
      } else {
        // Every enabled timer, also one armed while hidden, goes on where it stood.
        this.anchorTimer(t, now + t.remaining - t.interval);
      }
    }
  }

  // ----- dialogs -----
  // Resolves to true for Yes (or OK), false for No.
  dialog(caption, text, yesNo) { return this.view.showDialog(caption, text, yesNo); }

  // ----- pictures -----
  async loadPictures(paths) {
    this.pictures = await Promise.all(paths.map(async (path) => {
      try {
        const response = await fetch(path);
        if (!response.ok) return null;
        const blob = await response.blob();
        const bitmap = await createImageBitmap(blob);
        const picture = { path, url: URL.createObjectURL(blob), width: bitmap.width, height: bitmap.height };
        bitmap.close();
        return picture;
      } catch { return null; }  // missing, not a picture, or too large to decode
    }));
  }

  pictureNumber(path) {
    const wanted = path.replace(/^\.\//, '');
    return this.pictures.findIndex((p) => p && p.path === wanted);
  }

  pictureSize(number, height) {
    const p = this.pictures[number];
    return p ? (height ? p.height : p.width) : 0;
  }

  quit() { this.onQuit(); }
}

// Frames before the first audible sample: encoders put a little silence in front.
function leadingSilence(buffer) {
  const data = buffer.getChannelData(0);
  let i = 0;
  while (i < data.length && Math.abs(data[i]) < 1e-3) i++;
  return i < data.length ? i / buffer.sampleRate : 0;
}
