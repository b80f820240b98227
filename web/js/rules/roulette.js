// SPDX-License-Identifier: GPL-3.0-or-later
// Rules of European single-zero roulette: the wheel, the layout bets, the
// racetrack's call bets and settlement. Pure: no DOM, no timers, no randomness;
// the page draws the winning pocket from the kit's random source.
//
// Stakes are integers (cents of a chip). Every payout is a whole multiple of
// the stake, so settlement is exact for any integer stake.

// Pocket order clockwise from zero, as on a real European wheel.
export const WHEEL = Object.freeze([
  0, 32, 15, 19, 4, 21, 2, 25, 17, 34, 6, 27, 13, 36, 11, 30, 8, 23, 10,
  5, 24, 16, 33, 1, 20, 14, 31, 9, 22, 18, 29, 7, 28, 12, 35, 3, 26,
]);

export const RED = new Set([1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36]);

// Winnings per unit staked, the stake itself coming back on top.
export const PAYOUT = Object.freeze({
  straight: 35, split: 17, street: 11, trio: 11, corner: 8, firstFour: 8, sixLine: 5,
  column: 2, dozen: 2, red: 1, black: 1, odd: 1, even: 1, low: 1, high: 1,
});

export const INSIDE_KINDS = Object.freeze(['straight', 'split', 'street', 'trio', 'corner', 'firstFour', 'sixLine']);
export const OUTSIDE_KINDS = Object.freeze(['column', 'dozen', 'red', 'black', 'odd', 'even', 'low', 'high']);
// The bets that pay even money, which La Partage halves on zero instead of losing.
export const EVEN_CHANCES = Object.freeze(['red', 'black', 'odd', 'even', 'low', 'high']);

export function colorOf(number) {
  if (number === 0) return 'green';
  return RED.has(number) ? 'red' : 'black';
}

const range = (from, to) => Array.from({ length: to - from + 1 }, (_, i) => from + i);

function layoutBets() {
  const bets = [];
  const add = (kind, numbers) => bets.push(Object.freeze({ kind, numbers: Object.freeze([...numbers].sort((a, b) => a - b)) }));
  for (const n of range(0, 36)) add('straight', [n]);
  for (const z of [1, 2, 3]) add('split', [0, z]);
  // Numbers side by side across a street, then along the layout.
  for (const n of range(1, 35)) if (n % 3 !== 0) add('split', [n, n + 1]);
  for (const n of range(1, 33)) add('split', [n, n + 3]);
  for (let s = 1; s <= 34; s += 3) add('street', [s, s + 1, s + 2]);
  add('trio', [0, 1, 2]);
  add('trio', [0, 2, 3]);
  for (const n of range(1, 32)) if (n % 3 !== 0) add('corner', [n, n + 1, n + 3, n + 4]);
  add('firstFour', [0, 1, 2, 3]);
  for (let s = 1; s <= 31; s += 3) add('sixLine', range(s, s + 5));
  for (const c of [1, 2, 3]) add('column', range(1, 36).filter((n) => (n - c) % 3 === 0));
  for (const d of [0, 1, 2]) add('dozen', range(12 * d + 1, 12 * d + 12));
  add('red', range(1, 36).filter((n) => RED.has(n)));
  add('black', range(1, 36).filter((n) => !RED.has(n)));
  add('odd', range(1, 36).filter((n) => n % 2 === 1));
  add('even', range(1, 36).filter((n) => n % 2 === 0));
  add('low', range(1, 18));
  add('high', range(19, 36));
  return Object.freeze(bets);
}

// Every distinct bet the layout offers, as {kind, numbers} with numbers ascending.
export const BETS = layoutBets();

// A stable identity for a layout position, used to merge chips on one spot.
export function betKey(kind, numbers) {
  return `${kind}:${[...numbers].sort((a, b) => a - b).join('-')}`;
}

const BY_KEY = new Map(BETS.map((b) => [betKey(b.kind, b.numbers), b]));

// The layout bet of that kind covering exactly those numbers, or null.
export function findBet(kind, numbers) {
  if (typeof kind !== 'string' || !Array.isArray(numbers)) return null;
  return BY_KEY.get(betKey(kind, numbers)) ?? null;
}

export function isPocket(number) {
  return Number.isInteger(number) && number >= 0 && number <= 36;
}

function checkStake(stake) {
  if (!Number.isSafeInteger(stake) || stake < 0) {
    throw new RangeError(`roulette: a stake must be a whole, non-negative number of cents, not ${stake}`);
  }
}

// Chips returned for one bet when the ball lands on `number`: the stake plus
// its winnings when the bet covers the number, 0 when it loses. Zero is on no
// outside bet, so it loses them all; under La Partage (French rules) an even
// chance gets half its stake back instead, rounded down to the cent.
export function settle(bet, number, { laPartage = false } = {}) {
  const layout = bet && findBet(bet.kind, bet.numbers);
  if (!layout) throw new RangeError(`roulette: not a bet on this layout: ${JSON.stringify(bet)}`);
  checkStake(bet.stake);
  if (!isPocket(number)) throw new RangeError(`roulette: no pocket ${number}`);
  if (layout.numbers.includes(number)) return bet.stake * (PAYOUT[layout.kind] + 1);
  return laPartage && number === 0 && EVEN_CHANCES.includes(layout.kind) ? Math.floor(bet.stake / 2) : 0;
}

// Total returned for a whole layout of bets.
export function settleAll(bets, number, rules = {}) {
  return bets.reduce((sum, bet) => sum + settle(bet, number, rules), 0);
}

// The kind a round's record gives an even chance played under La Partage, so
// that its own edge is counted.
export const partageKind = (kind) => (EVEN_CHANCES.includes(kind) ? `${kind}LaPartage` : kind);

const checkDigit = (d) => {
  if (!Number.isInteger(d) || d < 0 || d > 9) throw new RangeError(`roulette: a finale is on a digit 0 to 9, not ${d}`);
};
const endingIn = (d) => range(0, 36).filter((n) => n % 10 === d);

// Finale en plein: one straight up on every number that ends in the digit
// (four numbers for 0 to 6, three for 7 to 9).
export function finaleEnPlein(digit, unit = 1) {
  checkDigit(digit);
  checkStake(unit);
  return endingIn(digit).map((n) => ({ kind: 'straight', numbers: [n], stake: unit }));
}

// Finale à cheval on two digits: in every ten, the split joining the two
// numbers that end in them where the layout has one, and otherwise a straight
// up on each of them that exists (34 has no 37 beside it, say).
export function finaleACheval(first, second, unit = 1) {
  checkDigit(first);
  checkDigit(second);
  if (first === second) throw new RangeError('roulette: a finale à cheval is on two different digits');
  checkStake(unit);
  const [a, b] = [first, second].sort((x, y) => x - y);
  const bets = [];
  for (let ten = 0; ten <= 30; ten += 10) {
    const pair = [ten + a, ten + b].filter(isPocket);
    if (pair.length === 2 && findBet('split', pair)) bets.push({ kind: 'split', numbers: pair, stake: unit });
    else for (const n of pair) bets.push({ kind: 'straight', numbers: [n], stake: unit });
  }
  return bets;
}

// The wheel's neighbours of a number: `span` pockets either side and the
// number itself, in wheel order.
export function neighbours(number, span = 2) {
  if (!isPocket(number)) throw new RangeError(`roulette: no pocket ${number}`);
  const at = WHEEL.indexOf(number);
  const out = [];
  for (let d = -span; d <= span; d++) out.push(WHEEL[(at + d + WHEEL.length) % WHEEL.length]);
  return out;
}

// The racetrack's announced bets, as the chips a dealer places on the layout.
// Each entry is [kind, numbers, chips].
const CALLS = Object.freeze({
  voisins: [
    ['trio', [0, 2, 3], 2], ['split', [4, 7], 1], ['split', [12, 15], 1], ['split', [18, 21], 1],
    ['split', [19, 22], 1], ['corner', [25, 26, 28, 29], 2], ['split', [32, 35], 1],
  ],
  tiers: [
    ['split', [5, 8], 1], ['split', [10, 11], 1], ['split', [13, 16], 1],
    ['split', [23, 24], 1], ['split', [27, 30], 1], ['split', [33, 36], 1],
  ],
  orphelins: [
    ['straight', [1], 1], ['split', [6, 9], 1], ['split', [14, 17], 1],
    ['split', [17, 20], 1], ['split', [31, 34], 1],
  ],
  jeuZero: [
    ['split', [0, 3], 1], ['split', [12, 15], 1], ['straight', [26], 1], ['split', [32, 35], 1],
  ],
});

export const CALL_BETS = Object.freeze([
  { name: 'voisins', label: 'Voisins du zéro' },
  { name: 'tiers', label: 'Tiers du cylindre' },
  { name: 'orphelins', label: 'Orphelins' },
  { name: 'jeuZero', label: 'Jeu zéro' },
  { name: 'neighbours', label: 'Neighbours' },
]);

// The layout bets a call bet places, each as {kind, numbers, stake} with
// `unit` per chip. Neighbours needs the target number.
export function callBet(name, target, unit = 1) {
  checkStake(unit);
  if (name === 'neighbours') {
    return neighbours(target).map((n) => ({ kind: 'straight', numbers: [n], stake: unit }));
  }
  const chips = Object.hasOwn(CALLS, name) ? CALLS[name] : null;
  if (!chips) throw new RangeError(`roulette: no call bet named ${name}`);
  return chips.map(([kind, numbers, count]) => ({ kind, numbers: [...numbers], stake: count * unit }));
}

// The numbers drawn most and least often in a history (newest first or last,
// order does not matter). Ties are broken by the lower number so the display
// does not flicker between equals.
export function hotAndCold(history, count = 5) {
  const seen = new Array(37).fill(0);
  for (const n of history) if (isPocket(n)) seen[n]++;
  const order = range(0, 36);
  const hot = [...order].sort((a, b) => seen[b] - seen[a] || a - b).filter((n) => seen[n] > 0).slice(0, count);
  const cold = [...order].sort((a, b) => seen[a] - seen[b] || a - b).slice(0, count);
  return { hot, cold, seen };
}

export const NEIGHBOURS_MAX = 9;

/**
 * The racetrack's neighbours bet with a chosen spread: the target and
 * `spread` pockets either side of it on the wheel (1 to 9), one straight-up
 * bet of `unit` on each, in wheel order.
 */
export function neighboursBet(target, spread = 2, unit = 1) {
  if (!Number.isInteger(spread) || spread < 1 || spread > NEIGHBOURS_MAX) {
    throw new RangeError(`roulette: neighbours spread from 1 to ${NEIGHBOURS_MAX}, not ${spread}`);
  }
  checkStake(unit);
  return neighbours(target, spread).map((n) => ({ kind: 'straight', numbers: [n], stake: unit }));
}
