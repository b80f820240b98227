// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette and baccarat extras as the tables keep them: the spread of the
// racetrack's neighbours, favourite bets and the spins in the saved state,
// and the derived roads in words.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { WHEEL } from '../../web/js/rules/roulette.js';
import { createRandom } from '../../web/js/kit/random.js';
import { RouletteGame, STORE_KEY } from '../../web/js/roulette/game.js';
import { describeDerivedRoads } from '../../web/js/baccarat/scoreboard.js';
import { FakeStorage, logSink } from './support/helpers.mjs';

const landing = (numbers) => createRandom(() => WHEEL.indexOf(numbers.shift()));
const table = (storage, ...numbers) => new RouletteGame({ storage, random: landing(numbers), log: logSink() });
const saved = (storage) => JSON.parse(storage.getItem(STORE_KEY));

test('an older roulette save loads with the new choices at their defaults and its history as the first spins', () => {
  const history = [5, 17, 17, 0].map((number) => ({ number, staked: 100, returned: 0, bets: { red: 1 } }));
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 5000, settings: { chip: 25 }, history, game: {} }) });
  const t = table(storage, 17);
  assert.deepEqual([t.spread, t.favourites, t.spins, t.hotAndCold(1).hot, t.slip.chip], [2, [], [5, 17, 17, 0], [17], 25]);
  assert.ok(t.place('black', 1).ok && t.spin().ok);
  t.settle();
  const s = saved(storage);
  assert.deepEqual([s.game.spins, s.history.length, s.bankroll], [[5, 17, 17, 0, 17], 5, 5100]);
  // A spins list of its own wins over the history, as far as it holds pockets.
  s.game.spins = [3, 'x', 40, 3];
  storage.setItem(STORE_KEY, JSON.stringify(s));
  assert.deepEqual(table(storage).spinStats(1), { ...table(storage).spinStats(1), spins: 2, red: 2, hot: [3] });
});

test('the neighbours go down with the chosen spread, which is kept; a bad spread is refused', () => {
  const storage = new FakeStorage({ [STORE_KEY]: JSON.stringify({ version: 1, bankroll: 500000 }) });
  const t = table(storage);
  assert.ok(t.setSpread(4));
  assert.equal(t.setSpread(10), false);
  assert.equal(t.setSpread(0), false);
  t.slip.selectChip(5);
  assert.ok(t.placeCall('neighbours', 0).ok);
  assert.deepEqual(t.slip.toObject(), { 0: 5, 32: 5, 15: 5, 19: 5, 4: 5, 26: 5, 3: 5, 35: 5, 12: 5 });
  assert.equal(table(storage).spread, 4, 'the spread survives a reload');
  // Nine either side at the straight-up limit is refused whole, with the reason.
  t.slip.clear();
  t.setSpread(9);
  t.slip.selectChip(100);
  assert.ok(t.placeCall('neighbours', 5).ok && t.slip.total === 1900);
  const twice = t.placeCall('neighbours', 5);
  assert.deepEqual([twice.ok, /100/.test(twice.reason), t.slip.total], [false, true, 1900]);
});

test('a favourite keeps the layout under its name, goes down again in place of the bets, and says why it is refused', () => {
  const storage = new FakeStorage();
  const t = table(storage, 7);
  assert.match(t.saveFavourite('Evening').reason, /Place your bets/);
  assert.ok(t.place('red', 5).ok && t.place('17', 1).ok);
  assert.deepEqual(t.saveFavourite('  Evening  '), { ok: true, name: 'Evening' });
  assert.match(t.saveFavourite('x'.repeat(25)).reason, /up to 24 characters/);
  for (let i = 1; i < 12; i++) t.saveFavourite(`F${i}`);
  assert.match(t.saveFavourite('One more').reason, /12 favourites/);
  t.removeFavourite('f11');
  assert.deepEqual(saved(storage).game.favourites.map((f) => f.name), ['Evening', ...Array.from({ length: 10 }, (_, i) => `F${i + 1}`)]);

  const again = table(storage, 7);
  assert.ok(again.place('black', 25).ok && again.placeFavourite('evening').ok);
  assert.deepEqual(again.slip.toObject(), { red: 5, 17: 1 });
  assert.ok(again.slip.undo().ok && again.slip.amountOn('black') === 25, 'one undo brings back what lay there');
  assert.match(again.placeFavourite('Nothing').reason, /no longer kept/);
  again.placeFavourite('Evening');
  again.spin();
  assert.match(again.placeFavourite('Evening').reason, /no more bets/i);
});

const coups = (s) => s.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] }));

test('the derived roads read in words: their marks, the latest last, and what each side\'s win would add', () => {
  // The worked shoe of the roads' own tests: big eye boy BBRBRBR, small road RBBBBR, cockroach pig RRB.
  assert.equal(describeDerivedRoads(coups('BBPBBBPPBTB')),
    'Big eye boy: 7 marks, ending blue, red, blue, red. ' +
    'Small road: 6 marks, ending blue, blue, blue, red. Cockroach pig: 3 marks, ending red, red, blue. ' +
    // A banker win extends column 4 to row 2: column 3 stops just above it (blue), columns 2 and 1
    // reach it or stop two short (red). A player win opens column 5 on 2 = 2, 2 ≠ 3, 2 ≠ 1.
    'If Banker wins next: Big eye boy blue, Small road red, Cockroach pig red. ' +
    'If Player wins next: Big eye boy red, Small road blue, Cockroach pig blue.');
  assert.equal(describeDerivedRoads(coups('BPT')), 'Big eye boy: no marks yet. Small road: no marks yet. ' +
    'Cockroach pig: no marks yet. If Banker wins next: Big eye boy red. If Player wins next: Big eye boy blue.');
});
