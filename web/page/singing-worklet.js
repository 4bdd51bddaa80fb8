// The voice's capture, on the audio rendering thread: the microphone (input 0) and
// the game's own output (input 1), each mixed to mono, for the same frames of the
// graph, handed to the page BATCH frames at a time with the graph's time of their
// first frame. Its one output stays silent; it only keeps the node rendering.
const BATCH = 512;

class Capture extends AudioWorkletProcessor {
  constructor() {
    super();
    this.fill = 0;
    this.fresh();
  }

  fresh() {
    this.mic = new Float32Array(BATCH);
    this.out = new Float32Array(BATCH);
    this.fill = 0;
  }

  process(inputs) {
    const frames = inputs.find((input) => input.length)?.[0].length ?? 128;
    if (this.fill + frames > BATCH) this.flush();
    if (this.fill === 0) this.start = currentTime;
    mix(inputs[0], this.mic, this.fill, frames);
    mix(inputs[1], this.out, this.fill, frames);
    this.fill += frames;
    if (this.fill === BATCH) this.flush();
    return true;
  }

  flush() {
    if (!this.fill) return;
    this.port.postMessage({ mic: this.mic, out: this.out, frames: this.fill, start: this.start },
      [this.mic.buffer, this.out.buffer]);
    this.fresh();
  }
}

// An unconnected input has no channels: silence, which the arrays already hold.
function mix(channels, into, at, frames) {
  for (const channel of channels) {
    for (let i = 0; i < frames; i++) into[at + i] += channel[i] / channels.length;
  }
}

registerProcessor('zorvanta-capture', Capture);
