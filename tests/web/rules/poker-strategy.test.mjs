// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { fastScore, callExpectation, callOrFold, dealerHand } from '../../../web/js/rules/poker-strategy.js';
import { evaluate7, cardIndex } from '../../../web/js/rules/poker.js';
import { freshDeck } from '../../../web/js/kit/cards.js';
import { createRandom, seededSource } from '../../../web/js/kit/random.js';

const cards = (text) => text.split(' ');

test('the counting evaluator scores seven cards exactly as the rules do', () => {
  const random = createRandom(seededSource(41));
  for (let i = 0; i < 20000; i++) {
    const hand = random.shuffle(freshDeck()).slice(0, 7);
    assert.equal(fastScore(hand.map(cardIndex)), evaluate7(hand).score, hand.join(' '));
  }
  // The cases a count-based reading gets wrong most easily.
  for (const hand of ['Ah Ad As Kc Kd Ks 2c', 'Ac 2d 3h 4s 5c 9d 9h', '2h 3h 4h 5h 6h 7h Ah', '9c 9d 8c 8d 7c 7d Ks', 'Ts Js Qs Ks As 9s 8d']) {
    assert.equal(fastScore(cards(hand).map(cardIndex)), evaluate7(cards(hand)).score, hand);
  }
});

test('the call-or-fold rule agrees with the exact expectation wherever the choice matters', () => {
  // A royal flush on the flop never loses: the ante pays 100 and the call wins whenever the dealer qualifies.
  const royal = callExpectation(cards('Ah Kh'), cards('Qh Jh Th'));
  assert.deepEqual([royal.ways, royal.losses, royal.pushes, royal.wins + royal.notQualified], [1070190, 0, 0, 1070190]);
  assert.equal(royal.call, 100 + (2 * royal.wins) / royal.ways);

  const hands = [
    ['7c 2d', '7s Kh 9d', 'call', 'made'], ['6s 4h', 'Ts 7s 2s', 'call', 'flushDraw'],
    ['5h 4d', '6d 8c 2s', 'call', 'straightDraw'], ['Ac 3d', '9h 8s 2c', 'call', 'highCard'],
    ['3h 2c', 'Qd 9s 7h', 'fold', 'nothing'],
  ];
  // And a seeded deal of four more, as they come.
  const random = createRandom(seededSource(7));
  for (let i = 0; i < 4; i++) {
    const deck = random.shuffle(freshDeck());
    hands.push([deck.slice(0, 2).join(' '), deck.slice(2, 5).join(' ')]);
  }
  let lost = 0;
  for (const [hole, flop, move, reason] of hands) {
    const hint = callOrFold(cards(hole), cards(flop));
    if (move) assert.deepEqual(hint, { move, reason }, `${hole} | ${flop}`);
    const { call } = callExpectation(cards(hole), cards(flop));
    const ev = hint.move === 'call' ? call : -1;
    lost += Math.max(call, -1) - ev;
    // A wrong choice is allowed only where the two are within a tenth of an ante.
    assert.ok(Math.max(call, -1) - ev < 0.1, `${hole} | ${flop}: call ${call.toFixed(3)}, the rule says ${hint.move}`);
  }
  assert.ok(lost / hands.length < 0.02, `the rule gives up ${(lost / hands.length).toFixed(4)} antes a hand`);
  assert.throws(() => callOrFold(cards('As As'), cards('Kd Qd Jd')), RangeError);
});

test("the dealer's hand is named with whether it qualifies", () => {
  const named = (dealer) => { const d = dealerHand(cards(dealer), cards('4h 9s Jd 2c 3h')); return [d.name, d.qualifies]; };
  assert.deepEqual([named('Kc 3d'), named('4c Kd')], [['Pair of Threes', false], ['Pair of Fours', true]]);
});
