// SPDX-License-Identifier: GPL-3.0-or-later
// The betting layout: numbers, the lines and corners between them, and the
// outside bets, laid out on one coordinate grid so that a split sits on the
// line between its numbers and a corner where four meet. The mouse hits any
// spot; the keyboard moves a cursor over the same spots with the arrow keys.
import { RED, PAYOUT } from '../rules/roulette.js';
import { SPOTS, spotOf } from './game.js';
import { formatChips } from '../kit/money.js';
import { t, entry } from '../kit/messages.js';
import { spotName } from './record.js';

// Grid units: each number is 2 × 2, zero sits left of x = 0, the column bets
// right of x = 24; the dozens fill y 6–8 and the even chances y 8–10.
const WIDTH = 28;
const HEIGHT = 10;
const X0 = -2;

function hotspots() {
  const out = [];
  const add = (kind, numbers, x, y, area = null) => {
    const spot = spotOf(kind, numbers);
    if (spot) out.push({ spot, x, y, area, bet: SPOTS.get(spot) });
  };
  // A number's column along the layout and its row from the top (3, 6, 9… on top).
  const colOf = (n) => Math.floor((n - 1) / 3);
  const rowOf = (n) => 2 - ((n - 1) % 3);
  add('straight', [0], -1, 3, { x: -2, y: 0, w: 2, h: 6 });
  for (let n = 1; n <= 36; n++) {
    const c = colOf(n);
    const r = rowOf(n);
    add('straight', [n], 2 * c + 1, 2 * r + 1, { x: 2 * c, y: 2 * r, w: 2, h: 2 });
    if (c < 11) add('split', [n, n + 3], 2 * c + 2, 2 * r + 1);
    if (r > 0) add('split', [n, n + 1], 2 * c + 1, 2 * r);
    if (r > 0 && c < 11) add('corner', [n, n + 1, n + 3, n + 4], 2 * c + 2, 2 * r);
    if (r === 2) {
      add('street', [n, n + 1, n + 2], 2 * c + 1, 6);
      if (c < 11) add('sixLine', [n, n + 1, n + 2, n + 3, n + 4, n + 5], 2 * c + 2, 6);
    }
  }
  add('split', [0, 3], 0, 1);
  add('trio', [0, 2, 3], 0, 2);
  add('split', [0, 2], 0, 3);
  add('trio', [0, 1, 2], 0, 4);
  add('split', [0, 1], 0, 5);
  add('firstFour', [0, 1, 2, 3], 0, 6);
  for (const [first, y] of [[3, 1], [2, 3], [1, 5]]) {
    add('column', Array.from({ length: 12 }, (_, i) => first + 3 * i), 25, y, { x: 24, y: y - 1, w: 2, h: 2 });
  }
  for (let d = 0; d < 3; d++) {
    add('dozen', Array.from({ length: 12 }, (_, i) => 12 * d + 1 + i), 8 * d + 4, 7, { x: 8 * d, y: 6, w: 8, h: 2 });
  }
  const range = (a, b) => Array.from({ length: b - a + 1 }, (_, i) => a + i);
  const even = [
    ['low', range(1, 18)], ['even', range(1, 36).filter((n) => n % 2 === 0)],
    ['red', range(1, 36).filter((n) => RED.has(n))], ['black', range(1, 36).filter((n) => !RED.has(n))],
    ['odd', range(1, 36).filter((n) => n % 2 === 1)], ['high', range(19, 36)],
  ];
  even.forEach(([kind, numbers], i) => add(kind, numbers, 4 * i + 2, 9, { x: 4 * i, y: 8, w: 4, h: 2 }));
  return out;
}

export const HOTSPOTS = hotspots();

const pct = (v, total) => `${(v / total) * 100}%`;

// What the cloth says on a spot's own area ('' for red and black, shown as diamonds).
function clothLabel(b) {
  if (b.kind === 'straight') return String(b.numbers[0]);
  if (b.kind === 'dozen') return entry('roulette.cloth.dozens')[(b.numbers[0] - 1) / 12];
  if (b.kind === 'column') return t('roulette.cloth.column');
  return ['red', 'black'].includes(b.kind) ? '' : spotName(b.kind, b.numbers);
}

// What a spot is called, what it pays and (with chips in cents) what lies on it;
// a dozen's name starts with what its cloth says, so that both can be spoken.
function describe(h, amount = 0) {
  const b = h.bet;
  const spot = spotName(b.kind, b.numbers);
  const name = b.kind === 'dozen' ? `${clothLabel(b)}, ${spot}` : spot;
  return t(amount ? 'roulette.spotBet' : 'roulette.spotPays', { name, odds: PAYOUT[b.kind], amount });
}

// Moves from one spot to the nearest in the direction of an arrow key,
// preferring spots in line with the cursor.
export function nextSpot(from, dx, dy, spots = HOTSPOTS) {
  let best = null;
  let bestScore = Infinity;
  for (const h of spots) {
    const ax = h.x - from.x;
    const ay = h.y - from.y;
    const along = ax * dx + ay * dy;
    if (along <= 0) continue;
    const across = Math.abs(dx ? ay : ax);
    const score = along + 3 * across;
    if (score < bestScore) { best = h; bestScore = score; }
  }
  return best ?? from;
}

export function createLayout(container, { onPlace, onRemove, onFocus }) {
  const board = document.createElement('div');
  board.className = 'rl-layout';
  board.tabIndex = 0;
  board.setAttribute('role', 'application');
  board.setAttribute('aria-roledescription', t('roulette.layout'));
  board.setAttribute('aria-label', t('roulette.layoutHelp'));
  const byspot = new Map();

  for (const h of HOTSPOTS) {
    const el = document.createElement('div');
    el.id = `rl-${h.spot.replace(/[^a-z0-9]+/gi, '-')}`;
    el.setAttribute('role', 'button');
    el.dataset.spot = h.spot;
    if (h.area) {
      el.className = `rl-cell ${h.bet.kind}`;
      const n = h.bet.kind === 'straight' ? h.bet.numbers[0] : null;
      if (n !== null) el.classList.add(n === 0 ? 'green' : RED.has(n) ? 'red' : 'black');
      Object.assign(el.style, {
        left: pct(h.area.x - X0, WIDTH), top: pct(h.area.y, HEIGHT),
        width: pct(h.area.w, WIDTH), height: pct(h.area.h, HEIGHT),
      });
      const label = document.createElement('span');
      label.className = 'rl-label';
      label.textContent = clothLabel(h.bet);
      el.append(label);
    } else {
      el.className = 'rl-hot';
      Object.assign(el.style, { left: pct(h.x - X0, WIDTH), top: pct(h.y, HEIGHT) });
    }
    const chip = document.createElement('span');
    chip.className = 'rl-chip';
    chip.hidden = true;
    el.append(chip);
    Object.assign(el.style, { '--cx': pct(h.x - X0, WIDTH) });
    board.append(el);
    byspot.set(h.spot, { h, el, chip });
  }
  container.append(board);

  let cursor = byspot.get('17').h;
  const setCursor = (h) => {
    byspot.get(cursor.spot).el.classList.remove('cursor');
    cursor = h;
    const { el } = byspot.get(h.spot);
    el.classList.add('cursor');
    board.setAttribute('aria-activedescendant', el.id);
    onFocus?.(h.spot, describe(h));
  };

  board.addEventListener('click', (e) => {
    const el = e.target.closest('[data-spot]');
    if (!el) return;
    setCursor(byspot.get(el.dataset.spot).h);
    (e.shiftKey ? onRemove : onPlace)(el.dataset.spot);
  });
  board.addEventListener('contextmenu', (e) => {
    const el = e.target.closest('[data-spot]');
    if (!el) return;
    e.preventDefault();
    onRemove(el.dataset.spot);
  });
  board.addEventListener('pointerover', (e) => {
    const el = e.target.closest('[data-spot]');
    if (el) highlight(byspot.get(el.dataset.spot).h.bet.numbers);
  });
  board.addEventListener('pointerleave', () => highlight([]));
  board.addEventListener('focus', () => setCursor(cursor));
  board.addEventListener('keydown', (e) => {
    const dir = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] }[e.key];
    if (dir) {
      e.preventDefault();
      e.stopPropagation();
      setCursor(nextSpot(cursor, ...dir));
      highlight(cursor.bet.numbers);
    } else if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      e.stopPropagation();
      onPlace(cursor.spot);
    } else if (e.key === 'Delete' || e.key === 'Backspace') {
      e.preventDefault();
      e.stopPropagation();
      onRemove(cursor.spot);
    }
  });

  // Lights the numbers a spot covers, so a split or corner shows what it takes.
  function highlight(numbers) {
    const on = new Set(numbers);
    for (const { h, el } of byspot.values()) {
      if (h.bet.kind === 'straight') el.classList.toggle('covered', on.has(h.bet.numbers[0]));
    }
  }

  return {
    element: board,
    // Draws the chips on the layout: bets is [[spot, chips], ...].
    show(bets, winning = null) {
      const amounts = new Map(bets);
      for (const { h, el, chip } of byspot.values()) {
        const chips = amounts.get(h.spot) ?? 0;
        chip.hidden = chips === 0;
        chip.textContent = chips ? formatChips(chips * 100) : '';
        chip.className = `rl-chip ${chipColour(chips)}`;
        el.classList.toggle('won', winning !== null && chips > 0 && h.bet.numbers.includes(winning));
        el.setAttribute('aria-label', describe(h, chips * 100));
      }
    },
    mark(number) {
      for (const { h, el } of byspot.values()) {
        el.classList.toggle('winner', number !== null && h.bet.kind === 'straight' && h.bet.numbers[0] === number);
      }
    },
    highlight,
  };
}

export function chipColour(chips) {
  for (const v of [1000, 500, 100, 25, 5]) if (chips >= v) return `v${v}`;
  return 'v1';
}
