// SPDX-License-Identifier: GPL-3.0-or-later
// Blackjack's two side bets, settled on the first cards of a round:
// 21+3 on the player's two cards and the dealer's up card, read as a
// three-card poker hand, and Perfect Pairs on the player's two cards. Each is
// staked before the deal and settled at once, whatever the hand does after.
// Pure: cards are strings of a rank and a suit ("As", "Td", "9h").

const RANKS = 'A23456789TJQK';
const SUITS = 'cdhs';
const RED_SUITS = 'dh';

export const SIDE_BETS = Object.freeze(['twentyOnePlusThree', 'perfectPairs']);

// Winnings per unit staked, best hand first; the stake comes back on top.
export const TWENTY_ONE_PLUS_THREE_PAYS = Object.freeze({
  suitedTrips: 100, straightFlush: 40, trips: 30, straight: 10, flush: 5,
});
export const PERFECT_PAIRS_PAYS = Object.freeze({ perfect: 25, coloured: 12, mixed: 6 });

function parts(card) {
  if (typeof card !== 'string' || card.length !== 2 || !RANKS.includes(card[0]) || !SUITS.includes(card[1])) {
    throw new RangeError(`side bet: not a card: ${JSON.stringify(card)}`);
  }
  return { rank: RANKS.indexOf(card[0]), suit: card[1] };
}

// Three ranks in a row, the ace low (A-2-3) or high (Q-K-A); never round the
// corner (K-A-2).
function inARow(ranks) {
  const [a, b, c] = [...ranks].sort((x, y) => x - y);
  return (b === a + 1 && c === b + 1) || (a === 0 && b === 11 && c === 12);
}

/** The 21+3 hand of three cards: a key of TWENTY_ONE_PLUS_THREE_PAYS, or null when it pays nothing. */
export function twentyOnePlusThree(cards) {
  if (!Array.isArray(cards) || cards.length !== 3) throw new RangeError('21+3: three cards');
  const read = cards.map(parts);
  const flush = read.every((c) => c.suit === read[0].suit);
  const trips = read.every((c) => c.rank === read[0].rank);
  if (trips) return flush ? 'suitedTrips' : 'trips';
  const straight = inARow(read.map((c) => c.rank));
  if (straight) return flush ? 'straightFlush' : 'straight';
  return flush ? 'flush' : null;
}

/** The Perfect Pairs hand of two cards: a key of PERFECT_PAIRS_PAYS, or null. */
export function perfectPairs(cards) {
  if (!Array.isArray(cards) || cards.length !== 2) throw new RangeError('Perfect Pairs: two cards');
  const [a, b] = cards.map(parts);
  if (a.rank !== b.rank) return null;
  if (a.suit === b.suit) return 'perfect';
  return RED_SUITS.includes(a.suit) === RED_SUITS.includes(b.suit) ? 'coloured' : 'mixed';
}

/**
 * Cents returned for a side bet of `stake` on a round's first cards
 * (`player`: the two, `dealerUp`: the dealer's up card): the stake and its
 * winnings, or 0. Also the hand that decided it, for the result line.
 */
export function settleSideBet(kind, stake, { player, dealerUp }) {
  if (!Number.isSafeInteger(stake) || stake < 0) throw new RangeError(`side bet: a stake must be whole cents, not ${stake}`);
  let hand, pays;
  if (kind === 'twentyOnePlusThree') {
    hand = twentyOnePlusThree([...player, dealerUp]);
    pays = TWENTY_ONE_PLUS_THREE_PAYS;
  } else if (kind === 'perfectPairs') {
    hand = perfectPairs(player);
    pays = PERFECT_PAIRS_PAYS;
  } else {
    throw new RangeError(`no side bet named ${kind}`);
  }
  return { hand, back: hand ? stake * (pays[hand] + 1) : 0 };
}

/**
 * How many of the unordered deals from a shoe of `decks` decks make each hand:
 * { hands: { key: count }, all }, counted over every choice of cards by rank
 * and suit with the number of copies left, so that it does not lean on
 * formulas for each hand.
 */
export function sideBetCounts(kind, decks) {
  const copies = decks;
  const types = [];
  for (const r of RANKS) for (const s of SUITS) types.push(r + s);
  const size = kind === 'perfectPairs' ? 2 : 3;
  const read = kind === 'perfectPairs' ? perfectPairs : twentyOnePlusThree;
  const hands = {};
  let all = 0;
  const choose = (n, k) => { let c = 1; for (let i = 0; i < k; i++) c = (c * (n - i)) / (i + 1); return c; };
  // Multisets of card types, types in ascending order, each with its number
  // of ways to take that many copies of it.
  const walk = (from, picked) => {
    if (picked.length === size) {
      const counts = new Map();
      for (const t of picked) counts.set(t, (counts.get(t) ?? 0) + 1);
      let ways = 1;
      for (const k of counts.values()) ways *= choose(copies, k);
      all += ways;
      const hand = read(picked.map((t) => types[t]));
      if (hand) hands[hand] = (hands[hand] ?? 0) + ways;
      return;
    }
    for (let t = from; t < types.length; t++) walk(t, [...picked, t]);
  };
  walk(0, []);
  return { hands, all };
}
