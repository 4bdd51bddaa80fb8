// The page's key codes match the desktop's (view/KeyCodes.cpp) on each layout:
//   node tests/web/key_codes.mjs
import assert from 'node:assert/strict';
import { keyCode } from '../../web/page/view.js';

const cases = [
  // [KeyboardEvent.code, KeyboardEvent.key, expected code, why]
  ['KeyQ', 'q', 81, 'a letter plays by its character'],
  ['KeyQ', 'Q', 81, 'with Shift too'],
  ['KeyA', 'q', 81, 'AZERTY: Q where QWERTY has A'],
  ['Digit2', '@', 50, 'a shifted digit by its position'],
  ['Digit2', 'é', 50, 'French digit row unshifted'],
  ['KeyQ', 'й', 81, 'a Cyrillic letter by its position'],
  ['KeyY', 'ü', 0, 'a Latin-1 letter stays unmapped, as on the desktop'],
  ['BracketLeft', '[', 0, 'punctuation plays nothing'],
  ['Numpad1', '1', 97, 'the keypad has codes of its own'],
  ['Numpad8', 'ArrowUp', 38, 'keypad arrows with Num Lock off'],
  ['NumpadEnter', 'Enter', 13, 'keypad Enter'],
  ['Escape', 'Escape', 27, 'Esc'],
  ['F5', 'F5', 116, 'function keys'],
  ['Space', ' ', 32, 'space'],
];
for (const [code, key, expected, why] of cases) assert.equal(keyCode({ code, key }), expected, `${code} "${key}": ${why}`);
console.log(`ok   the page's key codes match the desktop's (${cases.length} keys)`);
