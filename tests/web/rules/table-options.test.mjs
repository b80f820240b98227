// SPDX-License-Identifier: GPL-3.0-or-later
// The bets the table options add: each pays as its pay table says on
// hand-worked deals, and each edge agrees with a count made another way.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { settle as settleCoup, playCoup } from '../../../web/js/rules/baccarat.js';
import { settle as settleSpin, finaleEnPlein, finaleACheval, EVEN_CHANCES, BETS } from '../../../web/js/rules/roulette.js';
import { settleSideBet, sideBetCounts, TWENTY_ONE_PLUS_THREE_PAYS, PERFECT_PAIRS_PAYS } from '../../../web/js/rules/side-bets.js';
import { houseEdge, forEachCoup } from '../../../web/js/rules/edges.js';

const coupOf = (shoe) => { const cards = shoe.split(' '); let i = 0; return playCoup(() => cards[i++]); };
const percent = (edge) => Math.round(edge.value * 10000) / 100;

test('21+3 and Perfect Pairs pay their hands, the ace high or low but never round the corner', () => {
  const hands = [
    // player's two cards, dealer's up card, 21+3 hand, Perfect Pairs hand
    ['7h 7h', '7h', 'suitedTrips', 'perfect'],
    ['7h 7d', '7s', 'trips', 'coloured'],
    ['7h 7s', '9h', null, 'mixed'],
    ['Ah 2h', '3h', 'straightFlush', null],
    ['Qs Ks', 'As', 'straightFlush', null],
    ['Kd Ac', '2h', null, null],
    ['Td Jc', '9h', 'straight', null],
    ['2c 9c', 'Kc', 'flush', null],
    ['2c 9c', 'Kd', null, null],
  ];
  for (const [two, up, threeHand, pairHand] of hands) {
    const cards = { player: two.split(' '), dealerUp: up };
    const three = settleSideBet('twentyOnePlusThree', 100, cards);
    const pair = settleSideBet('perfectPairs', 100, cards);
    assert.deepEqual([three.hand, pair.hand], [threeHand, pairHand], `${two} ${up}`);
    assert.equal(three.back, threeHand ? 100 * (TWENTY_ONE_PLUS_THREE_PAYS[threeHand] + 1) : 0);
    assert.equal(pair.back, pairHand ? 100 * (PERFECT_PAIRS_PAYS[pairHand] + 1) : 0);
  }
  assert.throws(() => settleSideBet('lucky', 100, { player: ['2c', '3c'], dealerUp: '4c' }), /no side bet/);
  assert.throws(() => settleSideBet('perfectPairs', 100, { player: ['2c', '1c'], dealerUp: '4c' }), /not a card/);
});

test("the side bets' edges agree with counting each hand by formula over six decks", () => {
  const c = (n, k) => { let r = 1; for (let i = 0; i < k; i++) r = (r * (n - i)) / (i + 1); return r; };
  const d = 6, rank = 4 * d, suit = 13 * d;
  const threes = {
    suitedTrips: 52 * c(d, 3),
    trips: 13 * (c(rank, 3) - 4 * c(d, 3)),
    straightFlush: 12 * 4 * d ** 3,
    straight: 12 * (rank ** 3 - 4 * d ** 3),
    flush: 4 * (c(suit, 3) - 12 * d ** 3 - 13 * c(d, 3)),
  };
  const twos = { perfect: 52 * c(d, 2), coloured: 26 * d * d, mixed: 13 * 4 * d * d };
  for (const [kind, hands, pays, all] of [
    ['twentyOnePlusThree', threes, TWENTY_ONE_PLUS_THREE_PAYS, c(52 * d, 3)],
    ['perfectPairs', twos, PERFECT_PAIRS_PAYS, c(52 * d, 2)],
  ]) {
    assert.deepEqual(sideBetCounts(kind, d), { hands, all }, kind);
    const back = Object.entries(hands).reduce((s, [h, n]) => s + n * (pays[h] + 1), 0);
    const edge = houseEdge('blackjack', kind);
    assert.equal(Number(edge.num) * all, Number(edge.den) * (all - back), kind);
  }
  assert.deepEqual([percent(houseEdge('blackjack', 'twentyOnePlusThree')), houseEdge('blackjack', 'perfectPairs').num,
    houseEdge('blackjack', 'perfectPairs').den], [4.62, 19n, 311n]);
});

test('no commission pays the banker even money but half on a six, and the Dragon Bonus pays by the margin', () => {
  const stake = { banker: 100, dragonPlayer: 100, dragonBanker: 100, eitherPair: 100 };
  const coups = [
    // shoe (player, banker, player, banker, thirds), why, returns on 100 each
    ['As Kd 7c 2h', 'a natural 8 wins', [0, 200, 0, 0]],
    ['9c 9d Kc Kd', 'natural nines tie: the dragons push', [100, 100, 100, 0]],
    ['9c 8d 9h 8s', 'two pairs, the natural 8 beats 6', [0, 200, 0, 600]],
    ['Tc 2d Kh 4s 2c', "the banker's 6 stands on a 2 and wins by 4", [150, 0, 200, 0]],
    ['2c 3d 3h Kd 4s Kc', "the player's 5 draws to 9 and wins by 6", [0, 500, 0, 0]],
    ['3c 2d 4h 3s Kc', 'the player stands on 7 and wins by 2', [0, 0, 0, 0]],
    ['Tc Kd 4h Qs 5c Jd', 'the player draws to 9 against 0', [0, 3100, 0, 0]],
  ];
  for (const [shoe, why, [banker, dragonPlayer, dragonBanker, eitherPair]] of coups) {
    assert.deepEqual(settleCoup(stake, coupOf(shoe), { noCommission: true }),
      { banker, dragonPlayer, dragonBanker, eitherPair }, `${shoe}: ${why}`);
  }
  // Odd cents on a banker six round down; with commission the banker bet is as it was.
  assert.deepEqual(settleCoup({ banker: 101 }, coupOf('Tc 2d Kh 4s 2c'), { noCommission: true }), { banker: 151 });
  assert.deepEqual(settleCoup({ banker: 100 }, coupOf('Tc 2d Kh 4s 2c')), { banker: 195 });
});

test("baccarat's option bets: the edges are what the paying code returns over every coup, and the published figures", () => {
  // Every ending of a coup, paid by settle() on a coup of those totals.
  let all = 0n;
  const net = { dragonPlayer: 0n, dragonBanker: 0n, banker: 0n };
  forEachCoup(8, (p, b, natural, ways) => {
    const coup = { playerTotal: p, bankerTotal: b, natural, winner: p > b ? 'player' : b > p ? 'banker' : 'tie',
      player: [], banker: [] };
    const back = settleCoup({ dragonPlayer: 200, dragonBanker: 200, banker: 200 }, coup, { noCommission: true });
    all += BigInt(ways);
    for (const kind of Object.keys(net)) net[kind] += BigInt(ways) * BigInt(back[kind] - 200);
  });
  for (const [kind, edge] of [['dragonPlayer', 'dragonPlayer'], ['dragonBanker', 'dragonBanker'], ['banker', 'bankerNoCommission']]) {
    const e = houseEdge('baccarat', edge);
    assert.equal(-net[kind] * e.den, 200n * all * e.num, kind);
  }
  assert.deepEqual(['bankerNoCommission', 'dragonPlayer', 'dragonBanker', 'eitherPair'].map((k) => percent(houseEdge('baccarat', k))),
    [1.46, 2.65, 9.37, 13.71]);
});

test('La Partage gives back half an even chance on zero, and the finales are the numbers they name', () => {
  for (const kind of EVEN_CHANCES) {
    const bet = { ...BETS.find((b) => b.kind === kind), stake: 101 };
    assert.equal(settleSpin(bet, 0, { laPartage: true }), 50, kind);
    assert.equal(settleSpin(bet, 0), 0, kind);
    // Over the wheel: 18 wins, 18 losses and half back once, an edge of 1/74.
    let back = 0;
    for (let n = 0; n <= 36; n++) back += settleSpin({ ...bet, stake: 200 }, n, { laPartage: true });
    assert.equal(200 * 37 - back, 100, kind);
    const e = houseEdge('roulette', `${kind}LaPartage`);
    assert.deepEqual([e.num, e.den], [1n, 74n]);
  }
  // Inside bets lose on zero as before.
  assert.equal(settleSpin({ kind: 'straight', numbers: [5], stake: 100 }, 0, { laPartage: true }), 0);

  const numbers = (bets) => bets.map((b) => b.numbers.join('/')).join(' ');
  assert.equal(numbers(finaleEnPlein(0)), '0 10 20 30');
  assert.equal(numbers(finaleEnPlein(8)), '8 18 28');
  assert.equal(numbers(finaleACheval(3, 0)), '0/3 10/13 20/23 30/33');
  assert.equal(numbers(finaleACheval(4, 7)), '4/7 14/17 24/27 34');
  // 12 and 13 are not neighbours on the layout: one chip on each.
  assert.equal(numbers(finaleACheval(2, 3)), '2/3 12 13 22/23 32/33');
  for (const finale of [finaleEnPlein(5, 100), finaleACheval(2, 3, 100)]) {
    for (const bet of finale) assert.equal(bet.kind, bet.numbers.length === 2 ? 'split' : 'straight');
  }
  for (const bad of [[1, 1], [0, 10], [-1, 2]]) assert.throws(() => finaleACheval(...bad), RangeError, String(bad));
});
