// SPDX-License-Identifier: GPL-3.0-or-later
// The house edge of every bet at the four tables, as exact fractions where the
// game allows one, and the house's expected take over rounds played: the sum
// of each bet's stake times its edge. The help sheet shows the edges; the
// lobby sets the expected take beside what the player actually won or lost.
//
// An edge is { num, den } (BigInt) with `value` its Number: the share of each
// staked cent the house keeps on average. Doubles, splits and the poker call
// are ways of playing the bet they belong to, already inside its edge, so they
// carry none of their own.
import {
  playerDraws, bankerDraws, PAYOUT as BACCARAT_PAYOUT, COMMISSION_PERCENT, DRAGON_PAYS, EITHER_PAIR_PAYS,
} from './baccarat.js';
import { PAYOUT as ROULETTE_PAYOUT, EVEN_CHANCES } from './roulette.js';
import { DECKS as BLACKJACK_DECKS } from './blackjack.js';
import { AA_BONUS_PAYS } from './poker.js';
import { sideBetCounts, PERFECT_PAIRS_PAYS, TWENTY_ONE_PLUS_THREE_PAYS } from './side-bets.js';

/** The baccarat table deals from eight decks (baccarat/game.js). */
export const BACCARAT_DECKS = 8;

const gcd = (a, b) => (b ? gcd(b, a % b) : a < 0n ? -a : a);

function fraction(num, den) {
  num = BigInt(num); den = BigInt(den);
  const g = gcd(num, den) || 1n;
  num /= g; den /= g;
  return Object.freeze({ num, den, value: Number(num) / Number(den) });
}

/**
 * Every way a baccarat coup can end from a shoe of `decks` decks: calls
 * visit(playerTotal, bankerTotal, natural, ways) once per ending, where ways
 * counts the ordered runs of six cards that end so (a coup that uses fewer
 * leaves the rest to any order), so that the ways add up to N(N-1)…(N-5),
 * N = 52·decks. Only the cards' baccarat values matter, not their ranks.
 */
export function forEachCoup(decks, visit) {
  if (!Number.isInteger(decks) || decks < 1 || decks > 8) throw new RangeError(`baccarat: no shoe of ${decks} decks`);
  const n = 52 * decks;
  const left = [16 * decks, ...Array(9).fill(4 * decks)]; // by value: tens and pictures count 0
  const rest = [1, 1, 1, 1, 1, 1, 1]; // rest[k]: orders of the 6 - k cards a coup of k cards leaves
  for (let k = 5; k >= 0; k--) rest[k] = rest[k + 1] * (n - k);
  const end = (p, b, w, used) => visit(p, b, used === 4 && (p >= 8 || b >= 8), w * rest[used]);
  // Draws value v with the weight of the cards left of it; put() returns it.
  const take = (v) => left[v]--;
  const put = (v) => { left[v]++; };
  for (let p1 = 0; p1 < 10; p1++) {
    const w1 = take(p1);
    for (let b1 = 0; b1 < 10; b1++) {
      const w2 = w1 * take(b1);
      for (let p2 = 0; p2 < 10; p2++) {
        const w3 = w2 * take(p2);
        for (let b2 = 0; b2 < 10; b2++) {
          const w4 = w3 * take(b2);
          const p = (p1 + p2) % 10, b = (b1 + b2) % 10;
          if (w4 === 0) { /* no such cards left */ } else if (p >= 8 || b >= 8) end(p, b, w4, 4);
          else if (!playerDraws(p)) {
            if (!bankerDraws(b, null)) end(p, b, w4, 4);
            else for (let b3 = 0; b3 < 10; b3++) { end(p, (b + b3) % 10, w4 * take(b3), 5); put(b3); }
          } else {
            for (let p3 = 0; p3 < 10; p3++) {
              const w5 = w4 * take(p3), pp = (p + p3) % 10;
              if (!bankerDraws(b, p3)) end(pp, b, w5, 5);
              else for (let b3 = 0; b3 < 10; b3++) { end(pp, (b + b3) % 10, w5 * take(b3), 6); put(b3); }
              put(p3);
            }
          }
          put(b2);
        }
        put(p2);
      }
      put(b1);
    }
    put(p1);
  }
}

/** The ways a coup ends with each winner: { banker, player, tie }, as forEachCoup counts them. */
export function coupWays(decks = BACCARAT_DECKS) {
  const ways = { banker: 0, player: 0, tie: 0 };
  forEachCoup(decks, (p, b, natural, w) => { ways[p > b ? 'player' : b > p ? 'banker' : 'tie'] += w; });
  return ways;
}

/** The baccarat edges for a shoe of `decks` decks at this table's payouts, the options' bets included. */
export function baccaratEdges(decks = BACCARAT_DECKS) {
  // The ways of each ending, by totals and whether it was a natural: sums
  // that stay exact integers below 2^53, turned to BigInt once.
  const endings = new Float64Array(200);
  forEachCoup(decks, (p, b, natural, ways) => { endings[(natural ? 100 : 0) + 10 * p + b] += ways; });
  let all = 0n, B = 0n, P = 0n, T = 0n, bankerSixes = 0n;
  const dragon = { player: 0n, banker: 0n };
  endings.forEach((ways, at) => {
    const w = BigInt(ways), natural = at >= 100, p = Math.floor(at / 10) % 10, b = at % 10;
    all += w;
    if (p === b) T += w; else if (p > b) P += w; else B += w;
    if (b > p && b === 6) bankerSixes += w;
    for (const [side, mine, theirs] of [['player', p, b], ['banker', b, p]]) {
      const margin = mine - theirs;
      const pays = natural ? Math.sign(margin) : margin > 0 ? DRAGON_PAYS[margin] ?? -1 : -1;
      dragon[side] += BigInt(pays) * w;
    }
  });
  const keep = 100n - BigInt(COMMISSION_PERCENT);
  // A pair: the hand's second card matches the first's rank.
  const pairNum = BigInt(4 * decks - 1), pairDen = BigInt(52 * decks - 1);
  const pair = (pays) => fraction(pairDen - BigInt(pays + 1) * pairNum, pairDen);
  return Object.freeze({
    player: fraction(B - P * BigInt(BACCARAT_PAYOUT.player), all),
    banker: fraction(100n * P - keep * B * BigInt(BACCARAT_PAYOUT.banker), 100n * all),
    tie: fraction(all - BigInt(BACCARAT_PAYOUT.tie + 1) * T, all),
    playerPair: pair(BACCARAT_PAYOUT.playerPair),
    bankerPair: pair(BACCARAT_PAYOUT.bankerPair),
    // No commission: even money, but half on a banker win with six.
    bankerNoCommission: fraction(2n * P - 2n * (B - bankerSixes) - bankerSixes, 2n * all),
    dragonPlayer: fraction(-dragon.player, all),
    dragonBanker: fraction(-dragon.banker, all),
    eitherPair: eitherPairEdge(decks),
  });
}

// Either Pair wins when the player's first two cards, or the banker's, are of
// one rank: counted over the ordered first four cards.
function eitherPairEdge(decks) {
  const n = BigInt(52 * decks), r = BigInt(4 * decks);
  const all = n * (n - 1n) * (n - 2n) * (n - 3n);
  const one = n * (r - 1n) * (n - 2n) * (n - 3n);
  const both = n * (r - 1n) * ((r - 2n) * (r - 3n) + (n - r) * (r - 1n));
  const wins = 2n * one - both;
  return fraction(all - BigInt(EITHER_PAIR_PAYS + 1) * wins, all);
}

// Blackjack's side bets, counted over every deal of their cards from the shoe.
function sideBetEdge(kind, pays) {
  const { hands, all } = sideBetCounts(kind, BLACKJACK_DECKS);
  const back = Object.entries(hands).reduce((sum, [hand, count]) => sum + BigInt(count) * BigInt(pays[hand] + 1), 0n);
  return fraction(BigInt(all) - back, BigInt(all));
}

// Blackjack's main bet: the published edge for these rules (six decks, S17,
// DAS, split to four, no resplit of aces, no surrender, peek) under basic
// strategy, which the rules tests confirm by simulation.
const BLACKJACK_MAIN = fraction(42, 10000);
// With late surrender open, the published gain of 0.08% for these rules: the
// player gives up hard 16 against 9, a ten or an ace and hard 15 against a
// ten, each worth less than half the bet played on (0.085% by an exact
// infinite-deck count of those four cells).
const BLACKJACK_MAIN_SURRENDER = fraction(34, 10000);
// Insurance wins 2:1 when the hole card is one of the 16·decks tens among the
// 52·decks − 1 cards other than the dealer's ace.
const tens = 16 * BLACKJACK_DECKS, unseen = 52 * BLACKJACK_DECKS - 1;
const BLACKJACK_INSURANCE = fraction(unseen - 3 * tens, unseen);

// Casino Hold'em's ante: the published edge for this pay table with the best
// call-or-fold play. The AA bonus is exact over all 2,598,960 five-card hands:
// pays on 84,480 pairs of aces and every hand from two pair up.
const POKER_ANTE = fraction(216, 10000);
const AA_HANDS = [0, 84480, 123552, 54912, 10200, 5108, 3744, 624, 36, 4];
const AA_RETURN = AA_HANDS.reduce((s, hands, c) => s + (c ? hands * (1 + AA_BONUS_PAYS[c]) : 0), 0);
const POKER_AA_BONUS = fraction(2598960 - AA_RETURN, 2598960);

const NONE = fraction(0, 1);
const ROULETTE = fraction(1, 37); // every bet pays as if zero were not on the wheel
// Under La Partage zero gives back half of an even chance: it loses half a
// stake once in 37.
const ROULETTE_PARTAGE = fraction(1, 74);

let tables = null;
const sideBets = {};
/** Every table's bets and their edges: { roulette: { straight: edge, … }, baccarat, blackjack, poker }. */
export function houseEdges() {
  if (!tables) {
    tables = Object.freeze({
      roulette: Object.freeze(Object.fromEntries([
        ...Object.keys(ROULETTE_PAYOUT).map((k) => [k, ROULETTE]),
        ...EVEN_CHANCES.map((k) => [`${k}LaPartage`, ROULETTE_PARTAGE]),
      ])),
      baccarat: baccaratEdges(BACCARAT_DECKS),
      blackjack: Object.freeze({
        main: BLACKJACK_MAIN, mainSurrender: BLACKJACK_MAIN_SURRENDER, insurance: BLACKJACK_INSURANCE, double: NONE, split: NONE,
        // Counted when first asked for: a page that offers no side bet never waits for them.
        get twentyOnePlusThree() {
          return (sideBets.twentyOnePlusThree ??= sideBetEdge('twentyOnePlusThree', TWENTY_ONE_PLUS_THREE_PAYS));
        },
        get perfectPairs() {
          return (sideBets.perfectPairs ??= sideBetEdge('perfectPairs', PERFECT_PAIRS_PAYS));
        },
      }),
      poker: Object.freeze({ ante: POKER_ANTE, aaBonus: POKER_AA_BONUS, call: NONE }),
    });
  }
  return tables;
}

/** The edge of one bet; a RangeError for a table or bet that is not offered. */
export function houseEdge(table, kind) {
  const edges = houseEdges();
  const bets = Object.hasOwn(edges, table) ? edges[table] : null;
  if (!bets || !Object.hasOwn(bets, kind)) throw new RangeError(`no bet ${kind} at the ${table} table`);
  return bets[kind];
}

/**
 * The house's expected take, in cents, over `rounds`: each `{ table, bets:
 * [{ kind, staked }] }` (a round record, see kit/history.js). Summed exactly
 * and rounded once at the end.
 */
export function expectedTake(rounds) {
  const sums = new Map(); // edge → cents staked on it
  for (const round of rounds) {
    for (const bet of round.bets ?? []) {
      if (!Number.isSafeInteger(bet.staked) || bet.staked < 0) throw new RangeError(`a stake must be whole cents, not ${bet.staked}`);
      const edge = houseEdge(round.table, bet.kind);
      sums.set(edge, (sums.get(edge) ?? 0n) + BigInt(bet.staked));
    }
  }
  let num = 0n, den = 1n;
  for (const [edge, staked] of sums) {
    num = num * edge.den + staked * edge.num * den;
    den *= edge.den;
  }
  const whole = num / den;
  // The remainder to double precision: 2^53 parts of a cent.
  return Number(whole) + Number(((num % den) << 53n) / den) / 2 ** 53;
}

const STAKED = 'staked.';

/** The expected take, in cents, of every round counted in a table's statistics. */
export function takeFromStats(table, stats) {
  const bets = Object.entries(stats ?? {}).filter(([k]) => k.startsWith(STAKED))
    .map(([k, staked]) => ({ kind: k.slice(STAKED.length), staked }));
  return expectedTake([{ table, bets }]);
}
