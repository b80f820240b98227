import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  evaluate5, evaluate7, dealerQualifies, settle, settleDetail, aaBonusOdds, describe,
  AA_BONUS_PAYS, CATEGORY_NAMES,
} from '../../../web/js/rules/poker.js';
import { freshDeck } from '../../../web/js/kit/cards.js';

const hand = (text) => text.split(' ');
const ev5 = (text) => evaluate5(hand(text));
const ev7 = (text) => evaluate7(hand(text));

test('all 2,598,960 five-card hands fall into the exact category counts', (t) => {
  const deck = freshDeck();
  const counts = new Array(10).fill(0);
  const classes = Array.from({ length: 10 }, () => new Set());
  let aceAcePairs = 0, bonusReturn = 0;
  const h = ['', '', '', '', ''];
  for (let a = 0; a < 52; a++) { h[0] = deck[a];
    for (let b = a + 1; b < 52; b++) { h[1] = deck[b];
      for (let c = b + 1; c < 52; c++) { h[2] = deck[c];
        for (let d = c + 1; d < 52; d++) { h[3] = deck[d];
          for (let e = d + 1; e < 52; e++) { h[4] = deck[e];
            const { category, score } = evaluate5(h);
            counts[category]++;
            classes[category].add(score);
            if (category === 1 && (score >> 16 & 15) === 12) aceAcePairs++;
            bonusReturn += aaBonusOdds(h) ? 1 + aaBonusOdds(h) : 0;
          } } } } }
  assert.deepEqual(counts, [1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 36, 4]);
  assert.equal(aceAcePairs, 84480);
  // Hands that tie form 7,462 classes; a score that separated equal hands or
  // merged different ones would change these numbers.
  assert.deepEqual(classes.map((s) => s.size), [1277, 2860, 858, 858, 10, 1277, 156, 156, 9, 1]);
  const total = 2598960;
  const edge = 1 - bonusReturn / total;
  t.diagnostic(`poker: five-card categories ${CATEGORY_NAMES.map((n, i) => `${n} ${counts[i]}`).join(', ')}`);
  t.diagnostic(`poker: AA bonus returns ${bonusReturn}/${total} per unit staked: house edge ${(edge * 100).toFixed(4)}%`);
  assert.ok(Math.abs(edge - 0.0626) < 0.0001, `AA bonus edge ${edge}`);
});

test('scores order hands within a category by rank and kickers', () => {
  const order = [
    '7c 5d 4h 3s 2c', 'Ac Kd Qh Js 9c', '2c 2d 3h 4s 5c', '2c 2d Ah Ks Qc', 'Ac Ad 4h 3s 2c',
    'Ac Ad Kh 3s 2c', 'Ac Ad Kh Qs 3c', '3c 3d 2h 2s Ac', 'Ac Ad 2h 2s 3c', 'Ac Ad Kh Ks 2c',
    'Ac Ad Kh Ks 3c', '2c 2d 2h 4s 3c', 'Ac Ad Ah 3s 2c', 'Ac 2d 3h 4s 5c', '2c 3d 4h 5s 6c',
    'Tc Jd Qh Ks Ac', '2c 3c 4c 5c 7c', 'Kc Qc Jc Tc 8c', 'Ac 4c 3c 2c 6c', '2c 2d 2h 3s 3c',
    '2c 2d 2h As Ac', '3c 3d 3h 2s 2c', '2c 2d 2h 2s 3c', '2c 2d 2h 2s Ac', '3c 3d 3h 3s 2c',
    'Ac 2c 3c 4c 5c', '2c 3c 4c 5c 6c', '9c Tc Jc Qc Kc', 'Tc Jc Qc Kc Ac',
  ];
  for (let i = 1; i < order.length; i++) {
    assert.ok(ev5(order[i]).score > ev5(order[i - 1]).score, `${order[i]} beats ${order[i - 1]}`);
  }
  assert.equal(ev5('Ac 2d 3h 4s 5c').category, 4, 'the wheel is a straight');
  assert.equal(ev5('Ac 2c 3c 4c 5c').category, 8, 'a steel wheel is a straight flush, not royal');
  assert.equal(ev5('Qc Kd Ah 2s 3c').category, 0, 'straights do not wrap round the ace');
  assert.equal(ev5('Ah Kh 7d 5c 2s').score, ev5('As Kd 7c 5h 2d').score, 'suits never break a tie');
  assert.equal(describe(ev5('Ac 2d 3h 4s 5c')), 'Straight, Five high');
  assert.equal(describe(ev5('6c 6d 6h Ks Kc')), 'Full house, Sixes over Kings');
});

test('seven cards play their best five, however the hands overlap', () => {
  const cases = [
    ['Ac Ad Ah Ks Kc Kh 2d', 6, 'Full house, Aces over Kings', 'two trips make the higher full house'],
    ['9h 8h 7h 6h 2h Tc 5h', 8, 'Straight flush, Nine high', 'a flush and a straight together hide a straight flush'],
    ['Ah Kh 7h 4h 2h Qc Js', 5, 'Flush, Ace high', 'a flush and a separate straight draw: the flush wins'],
    ['Ah Kh Qh Jh 9h Td 2c', 5, 'Flush, Ace high', 'a straight using an off-suit ten is no straight flush'],
    ['Th 9h 8h 7h 6h 5h Ah', 8, 'Straight flush, Ten high', 'the highest of overlapping straight flushes'],
    ['Ks Kh Kd Kc Qs Qh Qd', 7, 'Four Kings', 'quads beat the full house also present'],
    ['Ac Ad Kc Kd Qc Qd 2s', 2, 'Two pair, Aces and Kings', 'three pairs keep the best two and the best kicker'],
    ['As 2d 3c 4h 5s 9c Jd', 4, 'Straight, Five high', 'the wheel among seven'],
    ['As 2d 3c 4h 5s 6c Jd', 4, 'Straight, Six high', 'a six-high straight beats the wheel in the same cards'],
    ['Ts Js Qs Ks As 9s 8s', 9, 'Royal flush', 'royal inside a longer straight flush'],
  ];
  for (const [cards, category, name, why] of cases) {
    const result = ev7(cards);
    assert.equal(result.category, category, why);
    assert.equal(describe(result), name, why);
  }
  assert.equal(ev7('Ac Ad Kc Kd Qc Qd 3s').score, ev7('Ac Ad Kc Kd Qs 2s 3h').score,
    'the third pair is not a kicker when a queen plays either way');
  assert.ok(ev7('Ac Ad Kc Kd 5c 5d Js').score < ev7('Ac Ad Kc Kd 5c 5d Qs').score, 'the kicker counts');
  assert.throws(() => evaluate7(hand('Ac Ac Kc Kd 5c 5d Qs')), /twice/);
  assert.throws(() => evaluate5(hand('Ac Kc Qc Jc 1c')), TypeError);
  assert.throws(() => evaluate5(hand('Ac Kc Qc Jc')), RangeError);
});

test('the dealer qualifies with a pair of fours or better', () => {
  assert.equal(dealerQualifies(hand('4c 4d 9h Js 2c Kd 7s')), true);
  assert.equal(dealerQualifies(hand('3c 3d 9h Js 2c Kd 7s')), false);
  assert.equal(dealerQualifies(hand('Ac Kd 9h Js 2c 8d 7s')), false, 'ace high does not qualify');
  assert.equal(dealerQualifies(hand('2c 3d 2h 3s 9c Kd 7s')), true, 'two small pairs qualify');
  assert.equal(dealerQualifies(hand('Ac Kd 4h 4s 9c Qd 7s')), true, 'a pair on the board counts');
  assert.equal(dealerQualifies(hand('Ac Kd Qh Js 9c 2d 3s')), false);
});

test('every settlement branch returns the exact cents', () => {
  const stakes = { ante: 1000, call: 2000, aaBonus: 0, folded: false };
  const board = ' 2d 7c 9s Jh 3h';
  const cases = [
    // [player hole, dealer hole, board, stakes, returned, outcome]
    ['Ac Kc', 'Qd 5s', board, stakes, 2000 + 2000, 'dealer does not qualify', 'ante 1:1, call pushes'],
    ['Ac Kc', 'Qd 4s', ' 2c 7c 9c Jh 3h', stakes, 3000 + 2000, 'dealer does not qualify', 'flush ante 2:1, call pushes'],
    ['Ac Kc', 'Qd Qs', board, stakes, 0, 'lose', 'a qualified dealer with the better hand takes all'],
    ['Jd Jc', 'Qd Qs', ' 2d 7c 9s 8h 3h', { ...stakes, aaBonus: 500 }, 0, 'lose', 'a pair of jacks wins no AA bonus'],
    ['Kd Kc', 'Qd Qs', board, stakes, 2000 + 4000, 'win', 'a win pays the ante 1:1 and the call 1:1'],
    ['Kd Kc', 'Kh Ks', board, stakes, 1000 + 2000, 'push', 'a tie pushes both'],
    ['4c 5c', '4d 5d', ' Ah Kh Qh Js Ts', stakes, 1000 + 2000, 'push', 'the board plays for both: a tie'],
    ['Jc Jd', 'Js Qd', ' Jh 2d 2c 7h 9s', stakes, 4000 + 4000, 'win', 'full house ante 3:1'],
    ['Qc Qd', '9d 9c', ' Qh Qs 2c 7h 9s', stakes, 11000 + 4000, 'win', 'four of a kind ante 10:1'],
    ['8h 9h', 'Ac Ad', ' Th Jh Qh 2c 3d', stakes, 21000 + 4000, 'win', 'straight flush ante 20:1'],
    ['Ah Kh', 'Ac Ad', ' Th Jh Qh 2c 3d', stakes, 101000 + 4000, 'win', 'royal flush ante 100:1'],
    ['Ac Ad', '6c 6d', ' Ah Kh Qh 2c 3d', { ...stakes, folded: true, call: 0, aaBonus: 500 }, 500 * 8, 'fold',
      'a fold loses ante but trips on the first five still pay the AA bonus 7:1'],
    ['Ac Ad', '6c 6d', ' 5h Kh Qh 2c 3d', { ...stakes, aaBonus: 500 }, 2000 + 4000 + 500 * 8, 'win',
      'a pair of aces pays the AA bonus 7:1 beside the win'],
    ['Ac 2c', '6c 6d', ' 5h Kh Qh 2s 2d', { ...stakes, aaBonus: 500 }, 2000 + 4000, 'win',
      'trips made on the turn and river do not pay the AA bonus'],
  ];
  for (const [mine, theirs, b, st, returned, outcome, why] of cases) {
    const player = hand(mine + b), dealer = hand(theirs + b);
    assert.equal(settle(st, player, dealer), returned, why);
    assert.equal(settleDetail(st, player, dealer).outcome, outcome, why);
  }
});

test('the AA bonus pays its table on the first five cards', () => {
  const cases = [
    ['Ah Kh Qh Jh Th', 100], ['9h Kh Qh Jh Th', 50], ['9h 9d 9c 9s Th', 40], ['9h 9d 9c Ts Th', 30],
    ['2h 7h Qh Jh Th', 20], ['9h Kd Qh Jh Th', 7], ['9h 9d 9c 2s Th', 7], ['9h 9d Tc 2s Th', 7],
    ['Ah Ad Tc 2s 3h', 7], ['Kh Kd Tc 2s 3h', 0], ['Ah Kd Tc 2s 3h', 0],
  ];
  for (const [cards, odds] of cases) assert.equal(aaBonusOdds(hand(cards)), odds, cards);
  assert.equal(AA_BONUS_PAYS.length, 10);
});

test('bad stakes are refused with a clear reason', () => {
  const p = hand('Ac Kc 2d 7c 9s Jh 3h'), d = hand('Qd 5s 2d 7c 9s Jh 3h');
  assert.throws(() => settle({ ante: 1000, call: 1000 }, p, d), /twice the ante/);
  assert.throws(() => settle({ ante: 1000, call: 2000, folded: true }, p, d), /folded/);
  assert.throws(() => settle({ ante: 0, call: 0 }, p, d), /bad stakes/);
  assert.throws(() => settle({ ante: -100, call: -200 }, p, d), /bad stakes/);
  assert.throws(() => settle({ ante: 100.5, call: 201 }, p, d), /bad stakes/);
});
