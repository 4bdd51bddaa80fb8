// The window drawn from the game's control table as HTML elements, mirroring each
// change the core reports, and every action of the player reported back through
// `act` (WindowEvents on the core's side). The layout is in twips, as on the
// desktop: 15 twips to a CSS pixel.

const TWIPS_PER_PX = 15;
const Kind = { Button: 0, Label: 1, Frame: 2, Option: 3, Check: 4, Picture: 5, ScrollBar: 6 };
const Prop = { Caption: 0, Visible: 1, Enabled: 2, Geometry: 3, BackColor: 4, Value: 5, Picture: 6, PrintedText: 7 };
// Page actions, numbered as PageAction in web/src/WebView.h.
export const Action = {
  WhiteKey: 0, BlackKey: 1, NotePlate: 2, StartStop: 3, Replay: 4, ShowAnswer: 5, NextQuestion: 6,
  ModeOption: 7, DifficultyOption: 8, KeyRangeOption: 9, NoLimitCheck: 10, NoteNamesCheck: 11,
  AskDemonstrationCheck: 12, TimeLimitChanged: 13, TimeLimitDragged: 14,
};
const actionOfRole = {
  whiteKey: Action.WhiteKey, blackKey: Action.BlackKey, notePlate: Action.NotePlate,
  startStopButton: Action.StartStop, replayButton: Action.Replay, showAnswerButton: Action.ShowAnswer,
  nextQuestionButton: Action.NextQuestion, modeOption: Action.ModeOption, difficultyOption: Action.DifficultyOption,
  keyRangeOption: Action.KeyRangeOption, noLimitCheck: Action.NoLimitCheck, noteNamesCheck: Action.NoteNamesCheck,
  askDemonstrationCheck: Action.AskDemonstrationCheck,
};
// Names for screen readers of the controls that show no text of their own.
const WHITE_NOTES = ['ド', 'レ', 'ミ', 'ファ', 'ソ', 'ラ', 'シ'];
const BLACK_NOTES = ['ド#', 'レ#', 'ファ#', 'ソ#', 'ラ#'];
const VERDICTS = ['正解', '不正解', 'ゲームオーバー'];
const keyName = (white, i) => {
  const notes = white ? WHITE_NOTES : BLACK_NOTES;
  const note = notes[i % notes.length];
  return i < notes.length ? note : `高い${note}`;
};

const px = (twips) => `${Math.round(twips / TWIPS_PER_PX)}px`;
const modifiersOf = (e) => (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
const buttonOf = (e) => ({ 0: 1, 2: 2, 1: 4 })[e.button] ?? 0;

export class View {
  // act(action, index, mouse, value): reports a player's action; returns false when
  // the game is busy (a dialog is open) and the action was not taken.
  constructor(root, act, pictures) {
    this.root = root;
    this.act = act;
    this.pictures = pictures;  // number -> { url }
    this.controls = [];        // the table's state as last reported
    this.elements = [];
    this.dialogOpen = false;
  }

  build(controls, caption) {
    document.title = caption;
    this.root.setAttribute('aria-label', caption);
    this.controls = controls;
    for (const [n, c] of controls.entries()) {
      const el = this.create(c, n);
      el.id = c.id.replace(/[()]/g, (ch) => (ch === '(' ? '-' : ''));
      (c.parent >= 0 ? this.elements[c.parent] : this.root).append(el);
      this.elements[n] = el;
    }
    for (const n of controls.keys()) for (const p of Object.values(Prop)) this.apply(n, p);
    const start = this.find('startStopButton');
    if (start) start.focus();
  }

  find(role, index = -1) {
    const n = this.controls.findIndex((c) => c.role === role && c.index === index);
    return n < 0 ? null : this.elements[n];
  }

  // One control changed in the core: just that property is applied.
  changed(n, prop, json) {
    this.controls[n] = JSON.parse(json);
    this.apply(n, prop);
  }

  focusWindow() { this.root.focus({ preventScroll: true }); }

  effectivelyEnabled(n) {
    for (let c = this.controls[n]; c; c = this.controls[c.parent]) if (!c.enabled) return false;
    return true;
  }

  create(c, n) {
    const role = c.role;
    const report = (mouse = {}, value = 0) => this.act(actionOfRole[role], c.index, mouse, value);
    let el;
    switch (c.kind) {
      case Kind.Button: {
        el = document.createElement('button');
        el.type = 'button';
        if (role === 'whiteKey' || role === 'blackKey') {
          el.className = `key ${role === 'whiteKey' ? 'white' : 'black'}`;
          el.tabIndex = -1;
          el.setAttribute('aria-label', keyName(role === 'whiteKey', c.index));
          this.onPress(el, n, report);
        } else {
          el.className = 'button';
          el.addEventListener('click', () => report());
        }
        break;
      }
      case Kind.Label:
        el = document.createElement('div');
        el.className = `label ${role}`;
        break;
      case Kind.Frame:
        el = document.createElement('div');
        el.className = `frame ${role}`;
        el.setAttribute('role', 'group');
        el.append(Object.assign(document.createElement('span'), { className: 'legend' }));
        break;
      case Kind.Option:
      case Kind.Check: {
        el = document.createElement('label');
        el.className = c.kind === Kind.Option ? 'option' : 'check';
        const input = document.createElement('input');
        input.type = c.kind === Kind.Option ? 'radio' : 'checkbox';
        if (c.kind === Kind.Option) input.name = `${role}-${c.parent}`;
        input.addEventListener('click', (e) => {
          const value = input.checked ? 1 : 0;
          // An option already chosen changes nothing; the core's value is shown again.
          if ((c.kind === Kind.Option && this.controls[n].value) || !report({}, value)) e.preventDefault();
        });
        el.append(input, document.createElement('span'));
        break;
      }
      case Kind.Picture:
        el = document.createElement('div');
        el.className = `picture ${role}`;
        el.append(Object.assign(document.createElement('img'), { alt: '', draggable: false }),
          Object.assign(document.createElement('span'), { className: 'printed' }));
        if (role === 'notePlate') {
          el.setAttribute('aria-label', keyName(true, c.index));
          this.onPress(el, n, report);
        }
        if (role === 'verdictPicture') el.setAttribute('aria-live', 'polite');
        break;
      case Kind.ScrollBar: {
        el = document.createElement('input');
        el.type = 'range';
        el.className = 'scrollbar';
        el.setAttribute('aria-label', '制限時間');
        // Each move of a drag, and the value let go (or stepped with the keys).
        el.addEventListener('input', () => this.act(Action.TimeLimitDragged, -1, {}, Number(el.value)));
        el.addEventListener('change', () => this.act(Action.TimeLimitChanged, -1, {}, Number(el.value)));
        break;
      }
      default:
        el = document.createElement('div');
    }
    return el;
  }

  // Mouse, pen and every finger of a touch press a key when they go down on it.
  onPress(el, n, report) {
    el.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      if (!this.effectivelyEnabled(n)) return;
      const box = el.getBoundingClientRect();
      const scale = box.width / el.offsetWidth || 1;
      report({
        button: e.pointerType === 'mouse' ? buttonOf(e) : 1, modifiers: modifiersOf(e),
        x: ((e.clientX - box.left) / scale) * TWIPS_PER_PX, y: ((e.clientY - box.top) / scale) * TWIPS_PER_PX,
      });
    });
    el.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  apply(n, prop) {
    const c = this.controls[n];
    const el = this.elements[n];
    if (!c || !el) return;
    switch (prop) {
      case Prop.Caption:
        if (c.kind === Kind.Frame) el.querySelector('.legend').textContent = c.caption;
        else if (c.kind === Kind.Option || c.kind === Kind.Check) el.querySelector('span').textContent = c.caption;
        else if (c.kind === Kind.Button || c.kind === Kind.Label) {
          if (c.role === 'whiteKey' || c.role === 'blackKey') break;
          el.textContent = c.caption;
        }
        break;
      case Prop.Visible: el.style.display = c.visible ? '' : 'none'; break;
      case Prop.Enabled: this.applyEnabled(n); break;
      case Prop.Geometry:
        Object.assign(el.style, { left: px(c.left), top: px(c.top), width: px(c.width), height: px(c.height) });
        if (c.points10 > 0) el.style.fontSize = `${(c.points10 / 10) * (4 / 3)}px`;
        if (c.weight !== 400) el.style.fontWeight = c.weight;
        if (c.tip) el.title = c.tip;
        if (c.kind === Kind.ScrollBar) Object.assign(el, { min: c.min, max: c.max, step: c.smallChange });
        break;
      case Prop.BackColor: if (c.back) el.style.backgroundColor = c.back; break;
      case Prop.Value:
        if (c.kind === Kind.Option || c.kind === Kind.Check) el.querySelector('input').checked = !!c.value;
        else if (c.kind === Kind.ScrollBar && Number(el.value) !== c.value) el.value = c.value;
        break;
      case Prop.Picture: {
        const img = el.querySelector('img');
        if (!img) break;
        const picture = this.pictures[c.picture];
        if (picture) img.src = picture.url; else img.removeAttribute('src');
        img.style.display = picture ? '' : 'none';
        if (c.role === 'verdictPicture' || c.role === 'storedPicture') img.alt = picture ? VERDICTS[c.picture] ?? '' : '';
        break;
      }
      case Prop.PrintedText: {
        const printed = el.querySelector('.printed');
        if (printed) printed.textContent = c.printed;
        break;
      }
    }
  }

  // A frame enables and disables its contents as a whole.
  applyEnabled(n) {
    const el = this.elements[n];
    const on = this.effectivelyEnabled(n);
    el.classList.toggle('disabled', !on);
    const input = el.matches('button, input') ? el : el.matches('label') ? el.querySelector('input') : null;
    if (input) input.disabled = !on;
    for (const [m, c] of this.controls.entries()) if (c.parent === n) this.applyEnabled(m);
  }

  // A modal dialog in the page: caption, text, buttons, the default button focused.
  // Enter and Space press the focused button, Esc answers No (or OK), Y and N answer
  // Yes and No. Resolves to 6 (Yes), 7 (No) or 1 (OK).
  showDialog(caption, text, yesNo) {
    const dialog = document.getElementById('dialog');
    dialog.querySelector('.caption').textContent = caption;
    dialog.querySelector('.text').textContent = text.replaceAll('\r\n', '\n');
    const buttons = dialog.querySelector('.buttons');
    buttons.replaceChildren();
    const answers = yesNo ? [['Yes', 6], ['No', 7]] : [['OK', 1]];
    this.dialogOpen = true;
    return new Promise((resolve) => {
      const close = (answer) => {
        dialog.removeEventListener('keydown', onKey);
        dialog.removeEventListener('cancel', onCancel);
        dialog.close();
        this.dialogOpen = false;
        resolve(answer);
      };
      const onCancel = (e) => { e.preventDefault(); close(yesNo ? 7 : 1); };
      const onKey = (e) => {
        if (e.altKey || e.ctrlKey || e.metaKey) return;
        const letter = e.key.toLowerCase();
        if (yesNo && (letter === 'y' || letter === 'n')) { e.preventDefault(); close(letter === 'y' ? 6 : 7); }
      };
      for (const [label, answer] of answers) {
        const b = Object.assign(document.createElement('button'), { type: 'button', textContent: label });
        b.addEventListener('click', () => close(answer));
        buttons.append(b);
      }
      dialog.addEventListener('keydown', onKey);
      dialog.addEventListener('cancel', onCancel);
      dialog.showModal();
      buttons.firstChild.focus();
    });
  }
}

// The key code of a key press, as the desktop's key map expects it (0 for none):
// letters by their character (so each layout's letters play as printed), digits of
// the main block by their position (shifted too), a letter of a non-Latin layout by
// its position, the keypad by its own codes.
const OTHER_KEYS = {
  Escape: 27, ' ': 32, Enter: 13, Tab: 9, Backspace: 8, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40,
  PageUp: 33, PageDown: 34, End: 35, Home: 36, Insert: 45, Delete: 46, Shift: 16, Control: 17, Alt: 18,
};
const KEYPAD = { NumpadMultiply: 106, NumpadAdd: 107, NumpadSubtract: 109, NumpadDecimal: 110, NumpadComma: 110, NumpadDivide: 111, NumpadEnter: 13 };

function otherKeyCode(key) {
  const f = /^F([0-9]{1,2})$/.exec(key);
  if (f && Number(f[1]) >= 1 && Number(f[1]) <= 24) return 111 + Number(f[1]);
  return OTHER_KEYS[key] ?? 0;
}

export function keyCode(e) {
  const code = e.code || '';
  const key = e.key || '';
  if (code.startsWith('Numpad')) {
    if (/^[0-9]$/.test(key)) return 96 + Number(key);
    return KEYPAD[code] ?? otherKeyCode(key);  // keypad arrows, Home, ... with Num Lock off
  }
  if (/^[a-zA-Z0-9]$/.test(key)) return key.toUpperCase().charCodeAt(0);
  const digit = /^Digit([0-9])$/.exec(code);
  if (digit) return 48 + Number(digit[1]);
  const letter = /^Key([A-Z])$/.exec(code);
  if (letter && [...key].length === 1 && key.codePointAt(0) > 0xff && /\p{L}/u.test(key)) return letter[1].charCodeAt(0);
  return otherKeyCode(key);
}

export { modifiersOf };
