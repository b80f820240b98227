import { test } from 'node:test';
import assert from 'node:assert/strict';
import { RouletteTable, SPOTS, STORE_KEY, settleSlip, spotOf } from '../../../web/js/roulette/table.js';
import { WHEEL } from '../../../web/js/rules/roulette.js';
import { createRandom } from '../../../web/js/kit/random.js';
import { FakeStorage, logSink } from '../support/fake-storage.mjs';

// A random source that lands the ball on the given pockets in turn.
const landing = (...numbers) => {
  const queue = numbers.map((n) => WHEEL.indexOf(n));
  return createRandom(() => queue.shift());
};

test('the layout names every bet once and finds it back from its numbers', () => {
  assert.equal(SPOTS.size, 157);
  assert.equal(spotOf('split', [3, 0]), 'split 0/3');
  assert.equal(spotOf('sixLine', [31, 32, 33, 34, 35, 36]), 'six line 31–36');
  assert.equal(spotOf('dozen', Array.from({ length: 12 }, (_, i) => 25 + i)), '3rd dozen');
  assert.equal(spotOf('split', [3, 4]), null);
  assert.equal(settleSlip({ 17: 2, red: 1, '1st dozen': 3 }, 17), 2 * 3600);
  assert.throws(() => settleSlip({ basket: 1 }, 0), /no spot/);
});

test('a won and a lost spin change the bankroll by exactly the settled amount and survive a reload', () => {
  const storage = new FakeStorage();
  const table = new RouletteTable({ storage, random: landing(17, 0), log: logSink() });
  const start = table.bankroll;
  assert.ok(table.place('17', 5).ok);
  assert.ok(table.place('red', 10).ok);
  const spin = table.spin();
  assert.deepEqual([spin.ok, spin.number, spin.staked, spin.returned], [true, 17, 1500, 5 * 3600]);
  assert.equal(table.bankroll, start - 1500, 'the stake is taken when the ball is launched');
  table.finishSpin();
  assert.equal(table.bankroll, start - 1500 + 18000);

  assert.ok(table.repeat().ok);
  assert.equal(table.spin().number, 0);
  table.finishSpin();
  assert.equal(table.bankroll, start - 1500 + 18000 - 1500);

  const again = new RouletteTable({ storage, random: landing(), log: logSink() });
  assert.equal(again.bankroll, table.bankroll);
  assert.deepEqual(again.lastNumbers, [0, 17]);
  assert.deepEqual(again.state.history, table.state.history);
  assert.ok(again.repeat().ok, 'the last bets can be repeated after a reload');
  assert.deepEqual(again.slip.toObject(), { 17: 5, red: 10 });
  assert.equal(JSON.parse(storage.getItem(STORE_KEY)).stats.rounds, 2);
});

test('a spin interrupted by a reload is settled on the next visit, never lost or replayed', () => {
  const storage = new FakeStorage();
  const table = new RouletteTable({ storage, random: landing(8), log: logSink() });
  table.place('corner 7/8/10/11', 10);
  assert.equal(table.spin().number, 8);
  assert.equal(table.place('5', 1).ok, false, 'no bets while the ball rolls');
  // The page goes away before finishSpin().
  const reloaded = new RouletteTable({ storage, random: landing(), log: logSink() });
  assert.deepEqual(reloaded.recovered, { number: 8, color: 'black', staked: 1000, returned: 9000 });
  assert.equal(reloaded.bankroll, 100000 + 8000);
  assert.equal(reloaded.pending, null);
  assert.equal(new RouletteTable({ storage, log: logSink() }).bankroll, 108000);
});

test('call bets go down as their real chips and come off in one undo', () => {
  const table = new RouletteTable({ storage: new FakeStorage(), random: landing(), log: logSink() });
  table.selectChip(5);
  assert.ok(table.placeCall('voisins').ok);
  assert.equal(table.slip.total, 45);
  assert.equal(table.slip.amountOn('trio 0/2/3'), 10);
  assert.equal(table.slip.amountOn('corner 25/26/28/29'), 10);
  assert.ok(table.placeCall('neighbours', 0).ok);
  assert.deepEqual(['3', '26', '0', '32', '15'].map((s) => table.slip.amountOn(s)), [5, 5, 5, 5, 5]);
  table.undo();
  assert.equal(table.slip.total, 45);
  assert.equal(table.placeCall('neighbours').ok, false);
  assert.equal(table.place('split 3/4').ok, false);
});

test('limits and the bankroll refuse bets with a reason and leave the slip as it was', () => {
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 5000 }) });
  const table = new RouletteTable({ storage, random: landing(1), log: logSink() });
  assert.match(table.place('17', 101).reason, /most on 17/);
  assert.ok(table.place('17', 50).ok);
  assert.match(table.place('red', 1).reason, /Not enough chips/);
  assert.equal(table.slip.total, 50);
  const broke = new RouletteTable({
    storage: new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 50 }) }), log: logSink(),
  });
  assert.match(broke.spin().reason, /Reset Chips/);
});
