// The window drawn from the game's control table as HTML elements, mirroring each
// change the core reports, and every action of the player reported back through
// `act` (the core's ControlInput). The layout is in twips, as on the desktop: 15
// twips to a CSS pixel.

const TWIPS_PER_PX = 15;
const lightness = (hex) => {
  const [r, g, b] = [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16));
  return (Math.max(r, g, b) + Math.min(r, g, b)) / 2;
};
const px = (twips) => `${Math.round(twips / TWIPS_PER_PX)}px`;
const modifiersOf = (e) => (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
const buttonOf = (e) => ({ 0: 1, 2: 2, 1: 4 })[e.button] ?? 0;

export class View {
  // act(n, action, { value, repeat, mouse }): reports the player's action on control
  // number n, named as the core names its actions; returns false when the game is
  // busy (a dialog is open) and the action was not taken.
  constructor(root, act, pictures) {
    this.root = root;
    this.act = act;
    this.pictures = pictures;  // number -> { url }
    this.controls = [];        // the table's state as last reported
    this.elements = [];
    this.dialogOpen = false;
    this.texts = {};           // the page's texts, from the core
  }

  build({ caption, controls }) {
    document.title = caption;
    this.root.setAttribute('aria-label', caption);
    this.controls = controls;
    for (const [n, c] of controls.entries()) {
      const el = this.create(c, n);
      el.id = c.id.replace(/[()]/g, (ch) => (ch === '(' ? '-' : ''));
      (c.parent >= 0 ? this.elements[c.parent] : this.root).append(el);
      this.elements[n] = el;
    }
    for (const n of controls.keys()) this.apply(n);
    this.root.addEventListener('keydown', (e) => this.cycleFocus(e));
    const first = controls.findIndex((c) => c.tabOrder === 0);
    if (first >= 0) this.focusTarget(first).focus();
  }

  // The element of control n that takes the focus: an option's or a check box's input.
  focusTarget(n) {
    const el = this.elements[n];
    return el.matches('label') ? el.querySelector('input') : el;
  }

  // Tab and Shift+Tab move the focus through the window's controls in the game's
  // order, round and round, never out of the window.
  cycleFocus(e) {
    if (e.key !== 'Tab' || e.altKey || e.ctrlKey || e.metaKey) return;
    e.preventDefault();
    const shown = (n) => { for (let c = this.controls[n]; c; c = this.controls[c.parent]) if (!c.visible) return false; return true; };
    // A group of options is one stop, at its chosen option, as on the desktop.
    const stop = (c) => c.tabOrder >= 0 && (c.kind !== 'option' || c.value);
    const stops = [...this.controls.keys()]
      .filter((n) => stop(this.controls[n]) && shown(n) && this.effectivelyEnabled(n))
      .sort((a, b) => this.controls[a].tabOrder - this.controls[b].tabOrder);
    if (!stops.length) return;
    const at = stops.findIndex((n) => this.focusTarget(n) === document.activeElement);
    const next = at < 0 ? (e.shiftKey ? stops.length - 1 : 0) : (at + (e.shiftKey ? -1 : 1) + stops.length) % stops.length;
    this.focusTarget(stops[next]).focus();
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
    const report = (how = {}) => this.act(n, 'activated', how);
    let el;
    switch (c.kind) {
      case 'button': {
        el = document.createElement('button');
        el.type = 'button';
        if (role === 'whiteKey' || role === 'blackKey') {
          el.className = `key ${role === 'whiteKey' ? 'white' : 'black'}`;
          this.onPress(el, n, report);
        } else {
          el.className = 'button';
          el.addEventListener('click', () => report());
          // Enter presses the button on its way down; whether a held key's repeat
          // presses it again is the game's to say.
          el.addEventListener('keydown', (e) => {
            if (e.key !== 'Enter' || e.altKey || e.ctrlKey || e.metaKey) return;
            e.preventDefault();
            report({ repeat: e.repeat });
          });
        }
        break;
      }
      case 'label':
        el = document.createElement('div');
        el.className = `label ${role}`;
        break;
      case 'frame':
        el = document.createElement('div');
        el.className = `frame ${role}`;
        el.setAttribute('role', 'group');
        el.append(Object.assign(document.createElement('span'), { className: 'legend' }));
        break;
      case 'option':
      case 'check': {
        el = document.createElement('label');
        el.className = c.kind;
        const input = document.createElement('input');
        input.type = c.kind === 'option' ? 'radio' : 'checkbox';
        if (c.kind === 'option') input.name = `${role}-${c.parent}`;
        // The core stores the value and shows it again; refused, nothing changes.
        input.addEventListener('click', (e) => { if (!report()) e.preventDefault(); });
        el.append(input, document.createElement('span'));
        break;
      }
      case 'picture':
        el = document.createElement('div');
        el.className = `picture ${role}`;
        el.append(Object.assign(document.createElement('img'), { alt: '', draggable: false }),
          Object.assign(document.createElement('span'), { className: 'printed' }));
        if (role === 'notePlate') this.onPress(el, n, report);
        if (role === 'verdictPicture') el.setAttribute('aria-live', 'polite');
        break;
      case 'scrollBar':
        el = this.scrollBar(n);
        break;
      default:
        el = document.createElement('div');
    }
    return el;
  }

  // A vertical scroll bar as the desktop draws it: an arrow at each end, the trough
  // and the thumb. Every step is reported and the core moves the value: the arrows
  // and arrow keys by the small change, the trough and PageUp/PageDown by the large
  // one, the wheel, and the thumb dragged.
  scrollBar(n) {
    const el = document.createElement('div');
    el.className = 'scrollbar';
    el.tabIndex = 0;
    el.setAttribute('role', 'scrollbar');
    el.setAttribute('aria-orientation', 'vertical');
    const up = Object.assign(document.createElement('div'), { className: 'arrow up' });
    const trough = Object.assign(document.createElement('div'), { className: 'trough' });
    const thumb = Object.assign(document.createElement('div'), { className: 'thumb' });
    const down = Object.assign(document.createElement('div'), { className: 'arrow down' });
    trough.append(thumb);
    el.append(up, trough, down);
    const act = (action, value, how = {}) => this.act(n, action, { value, ...how });
    // The keys step as the desktop's bar does (there Left adds and Right subtracts).
    const KEYS = { ArrowUp: ['stepSmall', -1], ArrowDown: ['stepSmall', 1], ArrowLeft: ['stepSmall', 1], ArrowRight: ['stepSmall', -1],
      PageUp: ['stepLarge', -1], PageDown: ['stepLarge', 1] };
    el.addEventListener('keydown', (e) => {
      const c = this.controls[n];
      const step = KEYS[e.key] ?? (e.key === 'Home' ? ['setTo', c.min] : e.key === 'End' ? ['setTo', c.max] : null);
      if (!step || e.altKey || e.ctrlKey || e.metaKey) return;
      e.preventDefault();
      act(...step);
    });
    el.addEventListener('wheel', (e) => {
      e.preventDefault();
      if (!this.effectivelyEnabled(n)) return;
      // In 1/120 of a notch, positive rolled away from the player, as the desktop counts.
      const angle = e.deltaMode === 1 ? -e.deltaY * 40 : e.deltaMode === 2 ? -e.deltaY * 360 : (e.wheelDeltaY ?? -e.deltaY);
      act('wheel', Math.round(angle), { mouse: { modifiers: modifiersOf(e) } });
    }, { passive: false });
    el.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      if (!this.effectivelyEnabled(n) || e.button !== 0) return;
      el.focus({ preventScroll: true });
      if (e.target === up || e.target === down) { act('stepSmall', e.target === up ? -1 : 1); return; }
      const box = thumb.getBoundingClientRect();
      if (e.target !== thumb) { act('stepLarge', e.clientY < box.top ? -1 : 1); return; }
      // The thumb follows the pointer; the value it stands at is reported as it moves.
      const grab = e.clientY - box.top;
      const c = this.controls[n];
      const track = trough.getBoundingClientRect();
      const span = track.height - box.height;
      const valueAt = (y) => Math.round(c.min + ((y - grab - track.top) / (span || 1)) * (c.max - c.min));
      el.setPointerCapture(e.pointerId);
      const move = (m) => act('draggedTo', valueAt(m.clientY));
      const end = (u) => {
        el.removeEventListener('pointermove', move);
        el.removeEventListener('pointerup', end);
        el.removeEventListener('pointercancel', end);
        act('setTo', valueAt(u.clientY));
      };
      el.addEventListener('pointermove', move);
      el.addEventListener('pointerup', end);
      el.addEventListener('pointercancel', end);
    });
    return el;
  }

  placeThumb(n) {
    const c = this.controls[n];
    const el = this.elements[n];
    el.setAttribute('aria-valuemin', c.min);
    el.setAttribute('aria-valuemax', c.max);
    el.setAttribute('aria-valuenow', c.value);
    // The thumb's length shows the large change against the range, as on the desktop.
    const range = Math.max(1, c.max - c.min);
    el.style.setProperty('--thumb', String(c.largeChange / (range + c.largeChange)));
    el.style.setProperty('--at', String((c.value - c.min) / range));
  }

  // Mouse, pen and every finger of a touch press a key when they go down on it; the
  // core is told which by the browser's name for it, so a touch is kept as one.
  onPress(el, n, report) {
    el.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      if (!this.effectivelyEnabled(n)) return;
      const box = el.getBoundingClientRect();
      const scale = box.width / el.offsetWidth || 1;
      report({ mouse: {
        button: e.pointerType === 'mouse' ? buttonOf(e) : 1, modifiers: modifiersOf(e),
        x: ((e.clientX - box.left) / scale) * TWIPS_PER_PX, y: ((e.clientY - box.top) / scale) * TWIPS_PER_PX,
        pointer: e.pointerType,
      } });
    });
    el.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  // Applies one property of control n, or all of them.
  apply(n, prop) {
    const c = this.controls[n];
    const el = this.elements[n];
    if (!c || !el) return;
    const all = prop === undefined;
    if (all || prop === 'caption') {
      if (c.kind === 'frame') el.querySelector('.legend').textContent = c.caption;
      else if (c.kind === 'option' || c.kind === 'check') el.querySelector('span').textContent = c.caption;
      else if ((c.kind === 'button' || c.kind === 'label') && c.role !== 'whiteKey' && c.role !== 'blackKey') el.textContent = c.caption;
    }
    if (all || prop === 'visible') el.style.display = c.visible ? '' : 'none';
    if (all || prop === 'enabled') this.applyEnabled(n);
    if (all || prop === 'geometry') {
      Object.assign(el.style, { left: px(c.left), top: px(c.top), width: px(c.width), height: px(c.height) });
      if (c.points10 > 0) el.style.fontSize = `${(c.points10 / 10) * (4 / 3)}px`;
      if (c.weight !== 400) el.style.fontWeight = c.weight;
      if (c.tip) el.title = c.tip;
    }
    if ((all || prop === 'backColor') && c.back) {
      el.style.backgroundColor = c.back;
      // A key's thin border: dark around a dark face, grey around a light one (a
      // locked black key's grey too), as the desktop's key draws it.
      if (c.kind === 'button' && el.classList.contains('key')) el.style.borderColor = lightness(c.back) < 96 ? '#282828' : '#707070';
    }
    if (all || prop === 'value') {
      if (c.kind === 'option' || c.kind === 'check') el.querySelector('input').checked = !!c.value;
      else if (c.kind === 'scrollBar') this.placeThumb(n);
    }
    if (all || prop === 'picture') {
      const img = el.querySelector('img');
      if (img) {
        const picture = this.pictures[c.picture];
        if (picture) img.src = picture.url; else img.removeAttribute('src');
        img.style.display = picture ? '' : 'none';
        if (c.role === 'verdictPicture' || c.role === 'storedPicture') img.alt = picture ? c.name : '';
      }
    }
    if (all || prop === 'accessibleName') {
      if (c.name) el.setAttribute('aria-label', c.name); else el.removeAttribute('aria-label');
      if (c.description) el.setAttribute('aria-description', c.description);
    }
    // Only the table's tab stops take the focus from the keyboard (a key, never).
    const target = this.focusTarget(n);
    if (all && (c.tabOrder >= 0 || target.matches('button, input'))) target.tabIndex = c.tabOrder >= 0 ? 0 : -1;
    if (all || prop === 'printedText') {
      const printed = el.querySelector('.printed');
      if (printed) printed.textContent = c.printed;
    }
  }

  // A frame enables and disables its contents as a whole.
  applyEnabled(n) {
    const el = this.elements[n];
    const on = this.effectivelyEnabled(n);
    el.classList.toggle('disabled', !on);
    const input = el.matches('button, input') ? el : el.matches('label') ? el.querySelector('input') : null;
    if (input) input.disabled = !on;
    if (el.matches('.scrollbar')) el.tabIndex = on ? 0 : -1;
    // A group or bar without a control of its own says so to assistive technology
    // (its greyed caption is then an inactive control's, as on the desktop).
    if (!input && el.hasAttribute('role')) el.setAttribute('aria-disabled', String(!on));
    for (const [m, c] of this.controls.entries()) if (c.parent === n) this.applyEnabled(m);
  }

  // A modal dialog in the page: caption, text, buttons, the default button focused.
  // Enter and Space press the focused button, Esc answers No (or OK), Y and N answer
  // Yes and No. Resolves to true for Yes or OK, false for No.
  showDialog(caption, text, yesNo) {
    const dialog = document.getElementById('dialog');
    dialog.querySelector('.caption').textContent = caption;
    dialog.querySelector('.text').textContent = text.replaceAll('\r\n', '\n');
    const buttons = dialog.querySelector('.buttons');
    buttons.replaceChildren();
    const answers = yesNo ? [[this.texts.yes, true], [this.texts.no, false]] : [[this.texts.ok, true]];
    this.dialogOpen = true;
    return new Promise((resolve) => {
      const close = (answer) => {
        dialog.removeEventListener('keydown', onKey);
        dialog.removeEventListener('cancel', onCancel);
        dialog.close();
        this.dialogOpen = false;
        resolve(answer);
      };
      const onCancel = (e) => { e.preventDefault(); close(!yesNo); };
      const onKey = (e) => {
        if (e.altKey || e.ctrlKey || e.metaKey) return;
        const letter = e.key.toLowerCase();
        if (yesNo && (letter === 'y' || letter === 'n')) { e.preventDefault(); close(letter === 'y'); }
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
