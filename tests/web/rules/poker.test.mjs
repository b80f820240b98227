// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { evaluate5, evaluate7, dealerQualifies, settle, settleDetail, aaBonusOdds, describe } from '../../../web/js/rules/poker.js';
import { PokerGame, STORE_KEY } from '../../../web/js/poker/game.js';
import { freshDeck } from '../../../web/js/kit/cards.js';
import { FakeStorage, logSink } from '../support/helpers.mjs';

const hand = (text) => text.split(' ');
const ev5 = (text) => evaluate5(hand(text));
const ev7 = (text) => evaluate7(hand(text));

test('all 2,598,960 five-card hands fall into the exact category and tie-class counts, and the AA bonus edge', () => {
  const deck = freshDeck();
  const counts = new Array(10).fill(0);
  const classes = Array.from({ length: 10 }, () => new Set());
  let bonusReturn = 0;
  const h = [];
  const choose = (from) => {
    if (h.length === 5) {
      const { category, score } = evaluate5(h), odds = aaBonusOdds(h);
      counts[category]++;
      classes[category].add(score);
      if (odds) bonusReturn += 1 + odds;
      return;
    }
    for (let i = from; i < 52; i++) { h.push(deck[i]); choose(i + 1); h.pop(); }
  };
  choose(0);
  assert.deepEqual(counts, [1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 36, 4]);
  // 7,462 classes of tying hands: a score that split equal hands or merged unequal ones changes these.
  assert.deepEqual(classes.map((s) => s.size), [1277, 2860, 858, 858, 10, 1277, 156, 156, 9, 1]);
  // The AA bonus pays 7:1 on 84,480 pairs of aces and on two pair to straights, then 20, 30, 40, 50, 100 to 1.
  assert.equal(bonusReturn, 8 * (84480 + 123552 + 54912 + 10200) + 21 * 5108 + 31 * 3744 + 41 * 624 + 51 * 36 + 101 * 4);
  assert.equal((1 - bonusReturn / 2598960).toFixed(4), '0.0626');
});

test('scores order hands by category, rank and kickers, and name them', () => {
  const order = [
    '7c 5d 4h 3s 2c', 'Ac Kd Qh Js 9c', '2c 2d 3h 4s 5c', '2c 2d Ah Ks Qc', 'Ac Ad 4h 3s 2c',
    'Ac Ad Kh 3s 2c', 'Ac Ad Kh Qs 3c', '3c 3d 2h 2s Ac', 'Ac Ad 2h 2s 3c', 'Ac Ad Kh Ks 2c',
    'Ac Ad Kh Ks 3c', '2c 2d 2h 4s 3c', 'Ac Ad Ah 3s 2c', 'Ac 2d 3h 4s 5c', '2c 3d 4h 5s 6c',
    'Tc Jd Qh Ks Ac', '2c 3c 4c 5c 7c', 'Kc Qc Jc Tc 8c', 'Ac 4c 3c 2c 6c', '2c 2d 2h 3s 3c',
    '2c 2d 2h As Ac', '3c 3d 3h 2s 2c', '2c 2d 2h 2s 3c', '2c 2d 2h 2s Ac', '3c 3d 3h 3s 2c',
    'Ac 2c 3c 4c 5c', '2c 3c 4c 5c 6c', '9c Tc Jc Qc Kc', 'Tc Jc Qc Kc Ac',
  ];
  for (let i = 1; i < order.length; i++) assert.ok(ev5(order[i]).score > ev5(order[i - 1]).score, `${order[i]} beats ${order[i - 1]}`);
  const named = [['Ac 2d 3h 4s 5c', 4, 'Straight, Five high'], ['Ac 2c 3c 4c 5c', 8, 'Straight flush, Five high'],
    ['Qc Kd Ah 2s 3c', 0, 'Ace high'], ['6c 6d 6h Ks Kc', 6, 'Full house, Sixes over Kings'], ['Tc Jc Qc Kc Ac', 9, 'Royal flush']];
  for (const [cards, category, name] of named) assert.deepEqual([ev5(cards).category, describe(ev5(cards))], [category, name], cards);
  assert.equal(ev5('Ah Kh 7d 5c 2s').score, ev5('As Kd 7c 5h 2d').score, 'suits never break a tie');
});

test('seven cards play their best five, however the hands overlap', () => {
  const cases = [
    ['Ac Ad Ah Ks Kc Kh 2d', 'Full house, Aces over Kings', 'two trips make the higher full house'],
    ['9h 8h 7h 6h 2h Tc 5h', 'Straight flush, Nine high', 'a flush and a straight together hide a straight flush'],
    ['Ah Kh 7h 4h 2h Qc Js', 'Flush, Ace high', 'a flush beats a separate straight'],
    ['Ah Kh Qh Jh 9h Td 2c', 'Flush, Ace high', 'a straight through an off-suit ten is no straight flush'],
    ['Th 9h 8h 7h 6h 5h Ah', 'Straight flush, Ten high', 'the highest of overlapping straight flushes'],
    ['Ks Kh Kd Kc Qs Qh Qd', 'Four Kings', 'quads beat the full house also present'],
    ['Ac Ad Kc Kd Qc Qd 2s', 'Two pair, Aces and Kings', 'three pairs keep the best two'],
    ['As 2d 3c 4h 5s 9c Jd', 'Straight, Five high', 'the wheel'], ['As 2d 3c 4h 5s 6c Jd', 'Straight, Six high', 'beats the wheel'],
    ['Ts Js Qs Ks As 9s 8s', 'Royal flush', 'royal inside a longer straight flush'],
  ];
  for (const [cards, name, why] of cases) assert.equal(describe(ev7(cards)), name, why);
  assert.equal(ev7('Ac Ad Kc Kd Qc Qd 3s').score, ev7('Ac Ad Kc Kd Qs 2s 3h').score, 'the third pair is only a queen kicker');
  assert.ok(ev7('Ac Ad Kc Kd 5c 5d Js').score < ev7('Ac Ad Kc Kd 5c 5d Qs').score, 'the kicker counts');
  assert.throws(() => evaluate7(hand('Ac Ac Kc Kd 5c 5d Qs')), /twice/);
  assert.throws(() => evaluate5(hand('Ac Kc Qc Jc 1c')), TypeError);
  assert.throws(() => evaluate5(hand('Ac Kc Qc Jc')), RangeError);
  // The dealer qualifies with a pair of fours or better, from the board too.
  const qualifies = [['4c 4d 9h Js 2c Kd 7s', true], ['3c 3d 9h Js 2c Kd 7s', false], ['Ac Kd 9h Js 2c 8d 7s', false],
    ['2c 3d 2h 3s 9c Kd 7s', true], ['Ac Kd 4h 4s 9c Qd 7s', true]];
  for (const [cards, want] of qualifies) assert.equal(dealerQualifies(hand(cards)), want, cards);
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
    ['Kd Kc', 'Qd Qs', board, stakes, 2000 + 4000, 'win', 'ante and call 1:1'], ['Kd Kc', 'Kh Ks', board, stakes, 3000, 'push', 'tie'],
    ['4c 5c', '4d 5d', ' Ah Kh Qh Js Ts', stakes, 1000 + 2000, 'push', 'the board plays for both: a tie'],
    ['6c 7d', 'Ah Ad', ' 8h 9s Tc 2d 3s', stakes, 2000 + 4000, 'win', 'straight ante 1:1'],
    ['Jc Jd', 'Js Qd', ' Jh 2d 2c 7h 9s', stakes, 4000 + 4000, 'win', 'full house ante 3:1'],
    ['Qc Qd', '9d 9c', ' Qh Qs 2c 7h 9s', stakes, 11000 + 4000, 'win', 'four of a kind ante 10:1'],
    ['8h 9h', 'Ac Ad', ' Th Jh Qh 2c 3d', stakes, 21000 + 4000, 'win', 'straight flush ante 20:1'],
    ['Ah Kh', 'Ac Ad', ' Th Jh Qh 2c 3d', stakes, 101000 + 4000, 'win', 'royal flush ante 100:1'],
    ['Ac Ad', '6c 6d', ' Ah Kh Qh 2c 3d', { ...stakes, folded: true, call: 0, aaBonus: 500 }, 500 * 8, 'fold',
      'a fold loses the ante but trips on the first five still pay the AA bonus 7:1'],
    ['Ac Ad', '6c 6d', ' 5h Kh Qh 2c 3d', { ...stakes, aaBonus: 500 }, 2000 + 4000 + 500 * 8, 'win', 'aces pay the AA bonus 7:1 beside the win'],
    ['Ac 2c', '6c 6d', ' 5h Kh Qh 2s 2d', { ...stakes, aaBonus: 500 }, 2000 + 4000, 'win', 'trips made on the turn and river pay no AA bonus'],
  ];
  for (const [mine, theirs, b, st, returned, outcome, why] of cases) {
    const player = hand(mine + b), dealer = hand(theirs + b);
    assert.equal(settle(st, player, dealer), returned, why);
    assert.equal(settleDetail(st, player, dealer).outcome, outcome, why);
  }
  const p = hand('Ac Kc' + board), d = hand('Qd 5s' + board);
  const refused = [[{ ante: 1000, call: 1000 }, /twice the ante/], [{ ante: 1000, call: 2000, folded: true }, /folded/],
    [{ ante: 0, call: 0 }, /bad stakes/], [{ ante: -100, call: -200 }, /bad stakes/], [{ ante: 100.5, call: 201 }, /bad stakes/]];
  for (const [st, reason] of refused) assert.throws(() => settle(st, p, d), reason);
});

// A "shuffle" that puts the named cards on top in deal order: player, dealer, board.
const dealing = (text) => ({ shuffle: () => [...hand(text), ...freshDeck().filter((c) => !hand(text).includes(c))] });
const table = (storage, cards = '', log = logSink()) => new PokerGame({ storage, random: dealing(cards), log });

test('a called hand changes the bankroll by exactly the settled amount and survives a reload', () => {
  const storage = new FakeStorage(), game = table(storage, 'Kd Kc Qd Qs 2d 7c 9s Jh 3h');
  const start = game.bankroll;
  game.slip.place('ante', 10);
  game.slip.place('bonus', 5);
  assert.ok(game.deal().ok);
  assert.deepEqual([game.bankroll, game.playerSoFar()], [start - 1500, 'Pair of kings'], 'ante and bonus leave the bankroll at the deal');
  const resumed = table(storage);
  assert.deepEqual(resumed.round.board, ['2d', '7c', '9s', 'Jh', '3h'], 'a reload keeps the same cards');
  assert.deepEqual([resumed.call().settled.returned, resumed.bankroll], [6000, start + 2500], 'kings beat queens: ante and call 1:1');
  assert.deepEqual([table(storage).bankroll, resumed.state.stats.handsWon], [start + 2500, 1]);
});

test('a fold still pays the AA bonus; a saved hand that cannot be read is set aside; an ante without the call is refused', () => {
  const game = table(new FakeStorage(), 'Ac Ad 6c 6d 5h Kh Qh 2c 3d');
  game.slip.place('ante', 10);
  game.slip.place('bonus', 5);
  game.deal();
  const start = game.bankroll;
  assert.equal(game.fold().settled.returned, 500 * 8);
  assert.deepEqual([game.bankroll, game.state.stats.folds, game.state.stats.bonusWins], [start + 4000, 1, 1]);
  const log = logSink();
  const hand = { ante: 1000, aaBonus: 0, player: ['Ac', 'Ac'], dealer: ['2c', '3c'], board: ['4c', '5c', '6c', '7c', '8c'] };
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 1900, game: { hand } }) });
  const poor = table(storage, 'Ac Ad 6c 6d 5h Kh Qh 2c 3d', log);
  assert.deepEqual([poor.phase, JSON.parse(storage.getItem(STORE_KEY)).game.unreadableRound], ['betting', hand]);
  assert.match(log.lines.join('\n'), /set aside; its stake of 1000 cents was returned/);
  poor.slip.place('ante', 10);
  assert.match(poor.deal().reason, /needs 20 more behind it for the call; you hold 29/);
  assert.deepEqual([poor.bankroll, poor.round], [2900, null]);
  poor.slip.clear();
  poor.slip.place('bonus', 5);
  assert.match(poor.deal().reason, /Place an ante/);
});
