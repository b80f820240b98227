// SPDX-License-Identifier: GPL-3.0-or-later
// Casino Hold'em's one decision, call or fold, after the flop: a simple rule
// for the table's hint, and the exact expectation of calling, counted over
// every turn, river and dealer hand, against which the rule is measured.
// The dealer's qualifying hand is named for the result line too.
import {
  cardIndex, evaluate7, dealerQualifies, describe, ANTE_PAYS,
  PAIR, TWO_PAIR, TRIPS, STRAIGHT, FLUSH, FULL_HOUSE, QUADS, STRAIGHT_FLUSH, ROYAL_FLUSH,
} from './poker.js';

const ACE = 12, FOUR = 2, TEN = 8;
const WHEEL = 0b1000000001111;

// ---------- A seven-card evaluator for counting ----------
// The same scores as poker.js's evaluate7 (category << 20, then ranks four
// bits each), read from rank counts and suit masks at once instead of from
// the 21 five-card hands: counting a decision takes a million of them.

function straightHigh(mask) {
  for (let high = 12; high >= 4; high--) if (((mask >> (high - 4)) & 31) === 31) return high;
  return (mask & WHEEL) === WHEEL ? 3 : -1;
}

function topRanks(mask, n, shift) {
  let out = 0;
  for (let i = 0; i < n && mask; i++) {
    const r = 31 - Math.clz32(mask);
    mask &= ~(1 << r);
    out |= r << shift;
    shift -= 4;
  }
  return out;
}

const popcount = (x) => { let n = 0; while (x) { x &= x - 1; n++; } return n; };

/** Score of the cards counted in `counts` (per rank) and `suits` (rank mask per suit). */
function scoreCounts(counts, suits) {
  let flush = 0;
  for (let s = 0; s < 4; s++) if (popcount(suits[s]) >= 5) flush = suits[s];
  if (flush) {
    const high = straightHigh(flush);
    if (high >= 0) return ((high === ACE ? ROYAL_FLUSH : STRAIGHT_FLUSH) << 20) | (high << 16);
  }
  let mask = 0, quad = -1, trip = -1, trip2 = -1, pair1 = -1, pair2 = -1;
  for (let r = 12; r >= 0; r--) {
    const n = counts[r];
    if (!n) continue;
    mask |= 1 << r;
    if (n === 4) quad = r;
    else if (n === 3) { if (trip < 0) trip = r; else if (trip2 < 0) trip2 = r; }
    else if (n === 2) { if (pair1 < 0) pair1 = r; else if (pair2 < 0) pair2 = r; }
  }
  if (quad >= 0) return (QUADS << 20) | (quad << 16) | topRanks(mask & ~(1 << quad), 1, 12);
  if (trip >= 0 && (trip2 >= 0 || pair1 >= 0)) return (FULL_HOUSE << 20) | (trip << 16) | (Math.max(trip2, pair1) << 12);
  if (flush) return (FLUSH << 20) | topRanks(flush, 5, 16);
  const high = straightHigh(mask);
  if (high >= 0) return (STRAIGHT << 20) | (high << 16);
  if (trip >= 0) return (TRIPS << 20) | (trip << 16) | topRanks(mask & ~(1 << trip), 2, 12);
  if (pair2 >= 0) return (TWO_PAIR << 20) | (pair1 << 16) | (pair2 << 12) | topRanks(mask & ~(1 << pair1) & ~(1 << pair2), 1, 8);
  if (pair1 >= 0) return (PAIR << 20) | (pair1 << 16) | topRanks(mask & ~(1 << pair1), 3, 12);
  return topRanks(mask, 5, 16);
}

const counts = new Uint8Array(13), suits = new Int32Array(4);
const add = (c) => { counts[c >> 2]++; suits[c & 3] |= 1 << (c >> 2); };
const remove = (c) => { counts[c >> 2]--; suits[c & 3] &= ~(1 << (c >> 2)); };

/** Score of seven card indices (0–51); for tests of the counting evaluator. */
export function fastScore(indices) {
  counts.fill(0); suits.fill(0);
  for (const c of indices) add(c);
  return scoreCounts(counts, suits);
}

const qualifies = (score) => (score >> 20) > PAIR || ((score >> 20) === PAIR && ((score >> 16) & 15) >= FOUR);

/**
 * The exact expectation, in antes, of calling with `hole` (two cards) on
 * `flop` (three), over all 1,081 turn-and-river pairs and the 990 dealer
 * hands each leaves: { call, fold: -1, ways: 1070190, wins, pushes,
 * losses, notQualified } (counts of the dealer's hands). Call when call >
 * fold. About a million evaluations: a measurement, not for a page.
 */
export function callExpectation(hole, flop) {
  const known = [...hole, ...flop].map(cardIndex);
  if (new Set(known).size !== 5) throw new RangeError('poker: the hole cards and flop must be five different cards');
  const rest = [];
  for (let c = 0; c < 52; c++) if (!known.includes(c)) rest.push(c);
  let total = 0, ways = 0, wins = 0, pushes = 0, losses = 0, notQualified = 0;
  counts.fill(0); suits.fill(0);
  for (const c of known.slice(2)) add(c); // the board so far
  for (let i = 0; i < rest.length; i++) {
    const turn = rest[i];
    add(turn);
    for (let j = i + 1; j < rest.length; j++) {
      const river = rest[j];
      add(river);
      add(known[0]); add(known[1]);
      const player = scoreCounts(counts, suits);
      remove(known[0]); remove(known[1]);
      const antePays = ANTE_PAYS[player >> 20];
      for (let a = 0; a < rest.length; a++) {
        if (a === i || a === j) continue;
        add(rest[a]);
        for (let b = a + 1; b < rest.length; b++) {
          if (b === i || b === j) continue;
          add(rest[b]);
          const dealer = scoreCounts(counts, suits);
          remove(rest[b]);
          ways++;
          if (!qualifies(dealer)) { notQualified++; total += antePays; }
          else if (player > dealer) { wins++; total += antePays + 2; }
          else if (player === dealer) pushes++;
          else { losses++; total -= 3; }
        }
        remove(rest[a]);
      }
      remove(river);
    }
    remove(turn);
  }
  return { call: total / ways, fold: -1, ways, wins, pushes, losses, notQualified };
}

// ---------- The hint ----------

/**
 * The simple rule: call with
 * - a pair or better that uses a hole card (a pocket pair, a hole card paired
 *   on the flop, two pair or better in the five cards): 'made';
 * - four cards to a flush, one of them a hole card: 'flushDraw';
 * - four cards to a straight, open or inside (within five ranks, an ace high or
 *   low), one of them a hole card: 'straightDraw';
 * - a ten or higher in the hole: 'highCard';
 * and fold anything else ('nothing'). Returns { move: 'call' | 'fold', reason }.
 * Measured against the exact expectation (bench/poker_strategy.mjs) it gives
 * up less than a hundredth of an ante per hand to the best play.
 */
export function callOrFold(hole, flop) {
  const cards = [...hole, ...flop].map(cardIndex);
  if (cards.length !== 5 || new Set(cards).size !== 5) throw new RangeError('poker: two hole cards and three flop cards are needed');
  const rank = (c) => c >> 2, suit = (c) => c & 3;
  const [a, b] = cards;
  const board = cards.slice(2);
  const made = rank(a) === rank(b) || board.some((c) => rank(c) === rank(a) || rank(c) === rank(b)) ||
    (fastScore([...cards]) >> 20) >= TWO_PAIR;
  if (made) return { move: 'call', reason: 'made' };
  if ([suit(a), suit(b)].some((s) => cards.filter((c) => suit(c) === s).length >= 4)) return { move: 'call', reason: 'flushDraw' };
  // Ranks as bits 1–13, the ace also as bit 0, so A-2-3-4-5 is a window too.
  const bits = (list) => list.reduce((m, c) => m | (2 << rank(c)) | (rank(c) === ACE ? 1 : 0), 0);
  const all = bits(cards), mine = bits([a, b]);
  for (let low = 0; low <= 9; low++) {
    const window = 31 << low;
    if (popcount(all & window) >= 4 && (mine & window)) return { move: 'call', reason: 'straightDraw' };
  }
  if (Math.max(rank(a), rank(b)) >= TEN) return { move: 'call', reason: 'highCard' };
  return { move: 'fold', reason: 'nothing' };
}

/** The dealer's final hand for the result line: its name and whether it qualifies. */
export function dealerHand(dealer, board) {
  const seven = [...dealer, ...board];
  const evaluation = evaluate7(seven);
  return { name: describe(evaluation), qualifies: dealerQualifies(seven), evaluation };
}
