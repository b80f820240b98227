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
  const types = [];
  for (const r of RANKS) for (const s of SUITS) types.push(r + s);
  const read = kind === 'perfectPairs' ? perfectPairs : twentyOnePlusThree;
  const hands = {};
  let all = 0;
  // Ways to take k of the `decks` copies of one card.
  const take = [1, decks, (decks * (decks - 1)) / 2, (decks * (decks - 1) * (decks - 2)) / 6];
  const count = (cards, ways) => {
    all += ways;
    const hand = read(cards);
    if (hand) hands[hand] = (hands[hand] ?? 0) + ways;
  };
  // Every multiset of card types, each type as often as it is taken.
  const n = types.length;
  for (let i = 0; i < n; i++) {
    for (let j = i; j < n; j++) {
      if (kind === 'perfectPairs') {
        count([types[i], types[j]], i === j ? take[2] : decks * decks);
        continue;
      }
      for (let k = j; k < n; k++) {
        const ways = i === k ? take[3] : i === j || j === k ? take[2] * decks : decks ** 3;
        count([types[i], types[j], types[k]], ways);
      }
    }
  }
  return { hands, all };
}
