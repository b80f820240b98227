// SPDX-License-Identifier: GPL-3.0-or-later
// Poker Royale: Casino Hold'em against the dealer. The player posts an ante
// (and may add the AA bonus), sees two cards and the flop, then folds or calls
// twice the ante; the turn and river follow and the dealer qualifies with a
// pair of fours or better.
//
// Hands are arrays of two-character cards ("As", "Td"). A seven-card hand is
// the two hole cards followed by the five board cards in the order dealt, so
// its first five cards are the hole cards and the flop (what the AA bonus
// pays on). Money is in integer cents. No DOM, timers or randomness here.

export const HIGH_CARD = 0, PAIR = 1, TWO_PAIR = 2, TRIPS = 3, STRAIGHT = 4,
  FLUSH = 5, FULL_HOUSE = 6, QUADS = 7, STRAIGHT_FLUSH = 8, ROYAL_FLUSH = 9;

export const CATEGORY_NAMES = ['High card', 'Pair', 'Two pair', 'Three of a kind', 'Straight',
  'Flush', 'Full house', 'Four of a kind', 'Straight flush', 'Royal flush'];

/** Ante odds by the player's final hand category (straight or less 1:1). */
export const ANTE_PAYS = [1, 1, 1, 1, 1, 2, 3, 10, 20, 100];

/** AA bonus odds by the player's first five cards; a pair pays only when it is aces. */
export const AA_BONUS_PAYS = [0, 7, 7, 7, 7, 20, 30, 40, 50, 100];

const RANK_CODES = new Int8Array(128).fill(-1);
const SUIT_CODES = new Int8Array(128).fill(-1);
'23456789TJQKA'.split('').forEach((r, i) => { RANK_CODES[r.charCodeAt(0)] = i; });
'cdhs'.split('').forEach((s, i) => { SUIT_CODES[s.charCodeAt(0)] = i; });
const ACE = 12, FOUR = 2;
const WHEEL = 0b1000000001111;

/** 0 to 51 (rank × 4 + suit); throws on anything that is not a card. */
export function cardIndex(card) {
  if (typeof card === 'string' && card.length === 2) {
    const rc = card.charCodeAt(0), sc = card.charCodeAt(1);
    const r = rc < 128 ? RANK_CODES[rc] : -1, s = sc < 128 ? SUIT_CODES[sc] : -1;
    if (r >= 0 && s >= 0) return r * 4 + s;
  }
  throw new TypeError(`not a card: ${JSON.stringify(card)}`);
}

function indices(cards, n) {
  if (!Array.isArray(cards) || cards.length !== n) {
    throw new RangeError(`a hand of ${n} cards is needed, got ${Array.isArray(cards) ? cards.length : typeof cards}`);
  }
  const out = new Array(n);
  let low = 0, high = 0; // which of the 52 cards have been seen, in two words
  for (let i = 0; i < n; i++) {
    const c = cardIndex(cards[i]);
    out[i] = c;
    const bit = 1 << (c & 31);
    const seen = c < 32 ? low : high;
    if (seen & bit) throw new RangeError(`card ${cards[i]} appears twice`);
    if (c < 32) low |= bit; else high |= bit;
  }
  return out;
}

const counts = new Uint8Array(13);

// The category and score of five distinct card indices. The score is the
// category times 2^20 plus up to five 4-bit ranks in the order that breaks
// ties, so comparing scores compares hands.
function score5(a, b, c, d, e) {
  const r0 = a >> 2, r1 = b >> 2, r2 = c >> 2, r3 = d >> 2, r4 = e >> 2;
  const flush = (a & 3) === (b & 3) && (a & 3) === (c & 3) && (a & 3) === (d & 3) && (a & 3) === (e & 3);
  const mask = (1 << r0) | (1 << r1) | (1 << r2) | (1 << r3) | (1 << r4);
  let high = 31 - Math.clz32(mask);

  if (popcount(mask) === 5) {
    let straight = false;
    if (mask === WHEEL) { straight = true; high = 3; }
    else if ((mask >> (high - 4)) === 0b11111) straight = true;
    if (straight) {
      if (!flush) return (STRAIGHT << 20) | (high << 16);
      return ((high === ACE ? ROYAL_FLUSH : STRAIGHT_FLUSH) << 20) | (high << 16);
    }
    return ((flush ? FLUSH : HIGH_CARD) << 20) | kickers(mask, 5, 16);
  }

  counts[r0]++; counts[r1]++; counts[r2]++; counts[r3]++; counts[r4]++;
  let quad = -1, trip = -1, pairHi = -1, pairLo = -1;
  for (let r = 12; r >= 0; r--) {
    const n = counts[r];
    if (n === 0) continue;
    counts[r] = 0;
    if (n === 4) quad = r;
    else if (n === 3) trip = r;
    else if (n === 2) { if (pairHi < 0) pairHi = r; else pairLo = r; }
  }
  if (quad >= 0) return (QUADS << 20) | (quad << 16) | kickers(mask & ~(1 << quad), 1, 12);
  if (trip >= 0 && pairHi >= 0) return (FULL_HOUSE << 20) | (trip << 16) | (pairHi << 12);
  if (trip >= 0) return (TRIPS << 20) | (trip << 16) | kickers(mask & ~(1 << trip), 2, 12);
  if (pairLo >= 0) {
    return (TWO_PAIR << 20) | (pairHi << 16) | (pairLo << 12) |
      kickers(mask & ~(1 << pairHi) & ~(1 << pairLo), 1, 8);
  }
  return (PAIR << 20) | (pairHi << 16) | kickers(mask & ~(1 << pairHi), 3, 12);
}

function popcount(x) {
  let n = 0;
  while (x) { x &= x - 1; n++; }
  return n;
}

// The `n` highest ranks of `mask`, packed 4 bits each, the first at bit `shift`.
function kickers(mask, n, shift) {
  let out = 0;
  for (let i = 0; i < n; i++) {
    const r = 31 - Math.clz32(mask);
    mask &= ~(1 << r);
    out |= r << shift;
    shift -= 4;
  }
  return out;
}

const result = (score) => ({ category: score >> 20, score });

/** The category (0 high card to 9 royal flush) and ordering score of five cards. */
export function evaluate5(cards) {
  const [a, b, c, d, e] = indices(cards, 5);
  return result(score5(a, b, c, d, e));
}

// The 21 ways to leave two of seven cards out.
const LEAVE_OUT = [];
for (let i = 0; i < 7; i++) for (let j = i + 1; j < 7; j++) LEAVE_OUT.push([i, j]);

/** The best five of seven cards, with the same category and score as evaluate5. */
export function evaluate7(cards) {
  const x = indices(cards, 7);
  let best = -1;
  const k = [0, 0, 0, 0, 0];
  for (const [i, j] of LEAVE_OUT) {
    let n = 0;
    for (let m = 0; m < 7; m++) if (m !== i && m !== j) k[n++] = x[m];
    const s = score5(k[0], k[1], k[2], k[3], k[4]);
    if (s > best) best = s;
  }
  return result(best);
}

/** The leading rank of a score, 0 for a two up to 12 for an ace. */
const leadRank = (score) => (score >> 16) & 15;

/** The dealer plays with a pair of fours or better. */
export function dealerQualifies(cards7) {
  const { category, score } = evaluate7(cards7);
  return category > PAIR || (category === PAIR && leadRank(score) >= FOUR);
}

/** AA bonus odds on the first five cards: 0 when the bonus loses. */
export function aaBonusOdds(first5) {
  const { category, score } = evaluate5(first5);
  if (category === PAIR && leadRank(score) !== ACE) return 0;
  return AA_BONUS_PAYS[category];
}

const isStake = (x) => Number.isSafeInteger(x) && x >= 0;

/**
 * The cents handed back to the player at the end of a hand, stakes included:
 * 0 when everything is lost. The ante, call and AA bonus were taken from the
 * bankroll when they were placed.
 */
export function settle({ ante, call = 0, aaBonus = 0, folded = false }, player7, dealer7) {
  if (!isStake(ante) || ante === 0 || !isStake(call) || !isStake(aaBonus)) {
    throw new RangeError(`bad stakes: ante ${ante}, call ${call}, AA bonus ${aaBonus}`);
  }
  if (folded ? call !== 0 : call !== 2 * ante) {
    throw new RangeError(folded ? 'a folded hand has no call' : `the call must be twice the ante, not ${call}`);
  }
  return settleDetail({ ante, call, aaBonus, folded }, player7, dealer7).returned;
}

/**
 * settle() with its reasons, for the table to show: each wager's return, the
 * two hands and whether the dealer qualified.
 */
export function settleDetail({ ante, call = 0, aaBonus = 0, folded = false }, player7, dealer7) {
  const bonusOdds = aaBonus ? aaBonusOdds(player7.slice(0, 5)) : 0;
  const bonus = bonusOdds ? aaBonus * (1 + bonusOdds) : 0;
  const player = evaluate7(player7);
  const dealer = evaluate7(dealer7);
  const qualifies = dealerQualifies(dealer7);
  let anteBack = 0, callBack = 0, outcome;
  if (folded) {
    outcome = 'fold';
  } else if (!qualifies) {
    outcome = 'dealer does not qualify';
    anteBack = ante * (1 + ANTE_PAYS[player.category]);
    callBack = call;
  } else if (player.score > dealer.score) {
    outcome = 'win';
    anteBack = ante * (1 + ANTE_PAYS[player.category]);
    callBack = 2 * call;
  } else if (player.score === dealer.score) {
    outcome = 'push';
    anteBack = ante;
    callBack = call;
  } else {
    outcome = 'lose';
  }
  return {
    returned: anteBack + callBack + bonus,
    ante: anteBack, call: callBack, bonus, bonusOdds,
    outcome, qualifies, player, dealer,
  };
}

const RANK_WORDS = ['Two', 'Three', 'Four', 'Five', 'Six', 'Seven', 'Eight', 'Nine', 'Ten',
  'Jack', 'Queen', 'King', 'Ace'];
const PLURAL = (r) => (r === 4 ? 'Sixes' : RANK_WORDS[r] + 's');

/** A short name for a hand's score: "Pair of Aces", "Flush, King high". */
export function describe({ category, score }) {
  const r = leadRank(score), second = (score >> 12) & 15;
  switch (category) {
    case HIGH_CARD: return `${RANK_WORDS[r]} high`;
    case PAIR: return `Pair of ${PLURAL(r)}`;
    case TWO_PAIR: return `Two pair, ${PLURAL(r)} and ${PLURAL(second)}`;
    case TRIPS: return `Three ${PLURAL(r)}`;
    case STRAIGHT: return `Straight, ${RANK_WORDS[r]} high`;
    case FLUSH: return `Flush, ${RANK_WORDS[r]} high`;
    case FULL_HOUSE: return `Full house, ${PLURAL(r)} over ${PLURAL(second)}`;
    case QUADS: return `Four ${PLURAL(r)}`;
    case STRAIGHT_FLUSH: return `Straight flush, ${RANK_WORDS[r]} high`;
    default: return 'Royal flush';
  }
}
