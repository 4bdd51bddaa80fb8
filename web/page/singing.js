// Singing as an input: the microphone, heard by the desktop's voice core compiled to
// its own module (voice.js/voice.wasm), each sung note's start judged by the game's
// core as on the desktop. The player turns it on with the button below the window:
// the browser asks for the microphone only then, and the module and the capture's
// worklet are fetched only then too. The choice is remembered; on the next visit
// singing starts again at once only if the browser says the microphone is allowed
// already, and otherwise waits for the button.
//
// The capture runs in the game's own audio graph: a worklet takes the microphone and
// the game's output (platform.output) for the same frames, so the echo reference is
// exactly what the page played at the microphone's time, on the graph's clock.
const REMEMBERED = 'zorvanta.singing';

export class Singing {
  // platform: the page's audio; view: its elements; sing(midi): a sung note's start
  // into the core (false when the core is busy and it was dropped).
  constructor({ platform, view, sing }) {
    this.platform = platform;
    this.view = view;
    this.sing = sing;
    this.button = document.getElementById('sing');
    this.note = document.getElementById('sing-note');
    this.on = false;
    this.attempts = 0;    // starts and stops so far: a start goes on only while it is the latest
    this.loading = null;  // the voice module and the worklet, once asked for
    this.voice = null;
    this.capture = null;  // { stream, source, node }
    this.held = null;     // the key element shown held down by the note being sung
    this.heard = [];      // each note's start and end, for the page's tests and figures
    this.firstBlock = -1; // the graph's time of the voice's sample 0
    this.arrival = Infinity; // the least performance.now() - graph time (ms) a block's end reached the page
  }

  // Shows the button where the browser can capture at all, with its caption from the
  // core's texts.
  async offer(texts) {
    this.texts = texts;
    if (!navigator.mediaDevices?.getUserMedia || !window.AudioWorkletNode) return;
    this.button.textContent = texts.sing;
    this.button.hidden = false;
    this.button.addEventListener('click', () => (this.on ? this.stop() : this.start()));
    if (remembered() !== 'on') return;
    try {
      const permission = await navigator.permissions.query({ name: 'microphone' });
      if (permission.state === 'granted' && !this.on) this.start();
    } catch { /* no permission query for the microphone: the button asks */ }
  }

  async start() {
    // A later press (off, or off and on again) makes this start moot.
    const attempt = ++this.attempts;
    const moot = () => attempt !== this.attempts || !this.on;
    this.show(true, '');
    remember('on');
    // The voice is ready before the microphone opens, so that nothing the player sings
    // from the first moment is lost while it loads.
    try {
      this.voice = await this.load();
    } catch {
      if (!moot()) this.show(false, this.texts.voiceUnavailable);
      return;
    }
    if (moot()) return;
    let stream;
    try {
      // Raw: the voice's own canceller needs the microphone as it is, and the
      // browser's gain control would pump with the game's sound.
      stream = await navigator.mediaDevices.getUserMedia({
        audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false },
      });
    } catch (e) {
      if (moot()) return;
      const refused = e.name === 'NotAllowedError' || e.name === 'SecurityError';
      this.show(false, refused ? this.texts.microphoneRefused : this.texts.noMicrophone);
      if (refused) remember('off');
      return;
    }
    if (moot()) { stopTracks(stream); return; }  // turned off while the browser asked
    const audio = this.platform.audio;
    if (audio.state !== 'running') audio.resume();
    const frames = this.voice._zv_voice_open(audio.sampleRate);
    const max = this.voice._zv_voice_max_frames();
    const source = audio.createMediaStreamSource(stream);
    const node = new AudioWorkletNode(audio, 'zorvanta-capture', { numberOfInputs: 2, numberOfOutputs: 1 });
    source.connect(node, 0, 0);
    this.platform.output.connect(node, 0, 1);
    node.connect(audio.destination);
    this.firstBlock = -1;
    this.arrival = Infinity;
    node.port.onmessage = ({ data }) => {
      if (this.capture?.node !== node) return;
      if (this.firstBlock < 0) this.firstBlock = data.start;
      const end = data.start + data.frames / audio.sampleRate;
      this.arrival = Math.min(this.arrival, performance.now() - end * 1000);
      const heap = this.voice.HEAPF32;
      heap.set(data.mic.subarray(0, data.frames), frames / 4);
      heap.set(data.out.subarray(0, data.frames), frames / 4 + max);
      this.voice._zv_voice_block(data.frames, data.start, data.frames / audio.sampleRate);
    };
    this.capture = { stream, source, node };
    // A microphone unplugged or taken away ends singing with the reason.
    for (const track of stream.getAudioTracks()) {
      track.addEventListener('ended', () => { if (this.capture?.stream === stream) this.stop(this.texts.noMicrophone); });
    }
  }

  stop(why = '') {
    this.attempts++;
    this.show(false, why);
    if (!why) remember('off');
    this.release();
    if (!this.capture) return;
    const { stream, source, node } = this.capture;
    this.capture = null;
    node.port.onmessage = null;
    source.disconnect();
    this.platform.output.disconnect(node);
    node.disconnect();
    stopTracks(stream);
    this.voice._zv_voice_close();
  }

  // The voice module, then the worklet, fetched once; a failed fetch may be tried again.
  load() {
    this.loading ??= (async () => {
      await new Promise((resolve, reject) => {
        const script = Object.assign(document.createElement('script'), { src: 'voice.js', onload: resolve, onerror: reject });
        document.head.append(script);
      });
      const voice = await createVoice({
        locateFile: (file) => file,
        onNote: (midi, on, fromSample, atSample) => this.onNote(midi, on, fromSample, atSample),
      });
      await this.platform.audio.audioWorklet.addModule('singing-worklet.js');
      return voice;
    })();
    this.loading.catch(() => { this.loading = null; });
    return this.loading;
  }

  // A note's start or end from the voice: the key of the note before is let go, and a
  // start goes to the game, which names the key it pressed (hold).
  onNote(midi, on, fromSample, atSample) {
    this.release();
    const entry = { midi, on, fromSample, atSample, taken: false };
    if (on) entry.taken = this.sing(midi);
    entry.judgedAt = performance.now();
    this.heard.push(entry);
    if (this.heard.length > 4096) this.heard.shift();
  }

  hold(number) {
    this.release();
    this.held = this.view.elements[number] ?? null;
    this.held?.classList.add('sung');
  }

  release() {
    this.held?.classList.remove('sung');
    this.held = null;
  }

  show(on, line) {
    this.on = on;
    this.button.setAttribute('aria-pressed', String(on));
    this.note.textContent = line;
    this.note.hidden = !line;
  }
}

function stopTracks(stream) {
  for (const track of stream.getTracks()) track.stop();
}

// The player's choice, kept in the browser; storage may be refused (private modes).
function remembered() {
  try { return localStorage.getItem(REMEMBERED); } catch { return null; }
}

function remember(choice) {
  try { localStorage.setItem(REMEMBERED, choice); } catch { /* not kept: asked again next time */ }
}
