// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { WHEEL, BETS, PAYOUT, settle, settleAll, callBet, findBet, colorOf, hotAndCold } from '../../../web/js/rules/roulette.js';
import { RouletteGame, SPOTS, STORE_KEY, settleSlip, spotOf } from '../../../web/js/roulette/game.js';
import { HOTSPOTS, nextSpot } from '../../../web/js/roulette/layout.js';
import { createRandom } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/helpers.mjs';

const POCKETS = [...WHEEL.keys()];
const staked = (bets) => bets.reduce((sum, b) => sum + b.stake, 0);
const sorted = (numbers) => [...numbers].sort((a, b) => a - b);

test('the European wheel alternates red and black, and the layout offers each real bet once', () => {
  assert.equal(WHEEL.join(' '),
    '0 32 15 19 4 21 2 25 17 34 6 27 13 36 11 30 8 23 10 5 24 16 33 1 20 14 31 9 22 18 29 7 28 12 35 3 26');
  for (let i = 1; i < 36; i++) assert.notEqual(colorOf(WHEEL[i]), colorOf(WHEEL[i + 1]), `pockets ${WHEEL[i]}, ${WHEEL[i + 1]}`);
  assert.deepEqual([0, 32, 26].map(colorOf), ['green', 'red', 'black']);
  const count = {};
  for (const b of BETS) count[b.kind] = (count[b.kind] ?? 0) + 1;
  assert.deepEqual(count, { straight: 37, split: 60, street: 12, trio: 2, corner: 22, firstFour: 1, sixLine: 11,
    column: 3, dozen: 3, red: 1, black: 1, odd: 1, even: 1, low: 1, high: 1 });
  assert.equal(new Set(BETS.map((b) => `${b.kind}:${b.numbers}`)).size, BETS.length);
  assert.deepEqual([findBet('split', [2, 1]), findBet('firstFour', [3, 2, 1, 0])].map(Boolean), [true, true], 'numbers in any order');
  assert.deepEqual([findBet('split', [0, 4]), findBet('corner', [33, 34, 36, 37])], [null, null]);
  const of = (kind, i = 0) => BETS.filter((b) => b.kind === kind)[i].numbers;
  assert.deepEqual([of('column').slice(0, 3), of('column', 2).slice(-2), of('dozen', 1)[0], of('low').at(-1), of('high')[0]],
    [[1, 4, 7], [33, 36], 13, 18, 19]);
  assert.ok(of('even').every((n) => n % 2 === 0) && of('odd').every((n) => n % 2 === 1));
});

test('every layout bet pays its odds on its own numbers and returns 36 stakes over the 37 pockets', () => {
  for (const bet of BETS) {
    const backs = POCKETS.map((n) => settle({ ...bet, stake: 300 }, n));
    POCKETS.forEach((n) => assert.equal(backs[n], bet.numbers.includes(n) ? 300 * (PAYOUT[bet.kind] + 1) : 0));
    assert.equal(backs.reduce((a, b) => a + b), 36 * 300, `${bet.kind} ${bet.numbers}`);
  }
  // Zero is on no outside bet and on exactly these inside ones.
  assert.deepEqual(BETS.filter((b) => b.numbers.includes(0)).map((b) => b.kind).sort(),
    ['firstFour', 'split', 'split', 'split', 'straight', 'trio', 'trio']);
  for (const bet of [{ kind: 'split', numbers: [3, 4], stake: 100 }, null]) assert.throws(() => settle(bet, 3), /not a bet/);
  for (const stake of [-100, 1.5, NaN, '100', undefined]) assert.throws(() => settle({ kind: 'straight', numbers: [7], stake }, 3), /stake/);
  for (const n of [37, -1, 2.5, '7', null]) assert.throws(() => settle({ kind: 'straight', numbers: [7], stake: 100 }, n), /pocket/);
});

test('each call bet places its real chips and loses exactly 1/37 of its stake; hot and cold numbers', () => {
  const arc = (from, length) => Array.from({ length }, (_, i) => WHEEL[(WHEEL.indexOf(from) + i) % 37]);
  const expected = { voisins: [9, arc(22, 17)], tiers: [6, arc(27, 12)], orphelins: [5, [...arc(1, 5), ...arc(17, 3)]], jeuZero: [4, arc(12, 7)] };
  for (const [name, [chips, cover]] of Object.entries(expected)) {
    const bets = callBet(name, undefined, 100);
    assert.ok(staked(bets) === chips * 100 && bets.every((b) => findBet(b.kind, b.numbers)), name);
    assert.deepEqual(sorted(new Set(bets.flatMap((b) => b.numbers))), sorted(cover), name);
    assert.equal(POCKETS.reduce((sum, n) => sum + settleAll(bets, n), 0), 36 * staked(bets), name);
  }
  assert.deepEqual(callBet('voisins').filter((b) => b.stake === 2).map((b) => b.numbers), [[0, 2, 3], [25, 26, 28, 29]]);
  assert.deepEqual(callBet('neighbours', 26, 200).map((b) => [b.kind, b.numbers[0], b.stake]),
    [['straight', 35, 200], ['straight', 3, 200], ['straight', 26, 200], ['straight', 0, 200], ['straight', 32, 200]]);
  for (const bad of [['neighbours', 37], ['neighbours'], ['snake'], ['toString']]) assert.throws(() => callBet(...bad), RangeError);
  // Hot and cold numbers: ties broken by the lower number, junk ignored.
  const { hot, cold, seen } = hotAndCold([7, 7, 7, 12, 12, 0, 35, 99, -1], 3);
  assert.deepEqual([hot, cold, seen[7], hotAndCold([]).hot], [[7, 12, 0], [1, 2, 3], 3, []]);
});

// A random source that lands the ball on the given pockets in turn.
const landing = (numbers) => createRandom(() => WHEEL.indexOf(numbers.shift()));
const table = (storage, ...numbers) => new RouletteGame({ storage, random: landing(numbers), log: logSink() });

test('spins change the bankroll by exactly the settled amount, survive a reload and are settled once if interrupted', () => {
  const spots = [spotOf('split', [3, 0]), spotOf('sixLine', [31, 32, 33, 34, 35, 36]), spotOf('dozen', [...Array(12).keys()].map((i) => i + 25))];
  assert.deepEqual([...spots, spotOf('split', [3, 4])], ['split 0/3', 'six line 31–36', '3rd dozen', null]);
  assert.equal(settleSlip({ 17: 2, red: 1, '1st dozen': 3 }, 17), 2 * 3600);
  assert.throws(() => settleSlip({ basket: 1 }, 0), /no spot/);
  const storage = new FakeStorage(), t = table(storage, 17, 0, 8);
  assert.ok(t.place('17', 5).ok && t.place('red', 10).ok);
  const spin = t.spin();
  assert.deepEqual([spin.number, spin.staked, spin.returned, t.bankroll], [17, 1500, 5 * 3600, 98500], 'staked at the launch');
  t.settle();
  assert.ok(t.bankroll === 98500 + 18000 && t.slip.repeat().ok);
  assert.equal(t.spin().number, 0);
  t.settle();
  const again = table(storage);
  assert.deepEqual([again.bankroll, again.lastNumbers, again.state.history], [115000, [0, 17], t.state.history]);
  t.slip.clear();
  t.place('corner 7/8/10/11', 10);
  assert.equal(t.spin().number, 8);
  assert.equal(t.place('5', 1).ok, false, 'no bets while the ball rolls');
  // The page goes away before settle().
  const reloaded = table(storage);
  assert.deepEqual(reloaded.recovered, { number: 8, color: 'black', staked: 1000, returned: 9000,
    bets: [{ spot: 'corner 7/8/10/11', kind: 'corner', numbers: [7, 8, 10, 11], staked: 1000, returned: 9000 }] });
  assert.deepEqual([reloaded.bankroll, reloaded.round, table(storage).bankroll], [123000, null, 123000]);
});

test('call bets go down as their real chips and come off in one undo; limits refuse with a reason', () => {
  const t = table(new FakeStorage());
  t.slip.selectChip(5);
  assert.ok(t.placeCall('voisins').ok);
  assert.deepEqual([t.slip.total, t.slip.amountOn('trio 0/2/3'), t.slip.amountOn('corner 25/26/28/29')], [45, 10, 10]);
  assert.ok(t.placeCall('neighbours', 0).ok);
  assert.deepEqual(['3', '26', '0', '32', '15'].map((s) => t.slip.amountOn(s)), [5, 5, 5, 5, 5]);
  t.slip.undo();
  assert.deepEqual([t.slip.total, t.placeCall('neighbours').ok, t.place('split 3/4').ok], [45, false, false]);
  const poor = table(new FakeStorage({ [STORE_KEY]: '{"version":1,"bankroll":5000}' }));
  assert.deepEqual([poor.place('17', 101).reason, poor.place('17', 50).ok, poor.place('red', 1).reason, poor.slip.total],
    ['The most on Straight up 17 is 100.', true, 'Not enough chips for that bet: it needs 51 and you hold 50.', 50]);
  assert.match(table(new FakeStorage({ [STORE_KEY]: '{"version":1,"bankroll":50}' })).spin().reason, /Reset Chips/);
});

test('every layout bet has one place on the board, on the lines between its numbers, reached by the arrow keys', () => {
  assert.deepEqual(HOTSPOTS.map((h) => h.spot).sort(), [...SPOTS.keys()].sort());
  const at = (spot) => HOTSPOTS.find((h) => h.spot === spot);
  const mid = (values) => (Math.min(...values) + Math.max(...values)) / 2;
  for (const h of HOTSPOTS.filter((s) => ['split', 'corner'].includes(s.bet.kind) && !s.bet.numbers.includes(0))) {
    const centres = h.bet.numbers.map((n) => at(String(n)));
    assert.deepEqual([h.x, h.y], [mid(centres.map((c) => c.x)), mid(centres.map((c) => c.y))], h.spot);
  }
  const seen = new Set(['17']);
  for (const queue = [at('17')]; queue.length;) {
    const h = queue.shift();
    for (const [dx, dy] of [[1, 0], [-1, 0], [0, 1], [0, -1]]) {
      const next = nextSpot(h, dx, dy);
      if (!seen.has(next.spot)) { seen.add(next.spot); queue.push(next); }
    }
  }
  assert.equal(seen.size, SPOTS.size);
  assert.deepEqual([nextSpot(at('17'), 1, 0).spot, nextSpot(at('17'), 0, 1).spot], ['split 17/20', 'split 16/17']);
});
