// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { neighboursBet, settleAll } from '../../../web/js/rules/roulette.js';
import { spinStats, addSpin, readSpins, SPIN_LIMIT } from '../../../web/js/rules/spins.js';
import { saveFavourite, removeFavourite, readFavourites, findFavourite, FAVOURITES_MAX } from '../../../web/js/kit/favourites.js';
import { SPOTS } from '../../../web/js/roulette/game.js';

test('a neighbours bet covers the spread either side of its number on the wheel', () => {
  const numbers = (target, spread) => neighboursBet(target, spread).map((b) => b.numbers[0]);
  assert.deepEqual(numbers(0, 1), [26, 0, 32]);
  assert.deepEqual(numbers(26, 2), [35, 3, 26, 0, 32], 'across zero');
  const wide = neighboursBet(5, 9, 100);
  assert.deepEqual([wide.length, new Set(numbers(5, 9)).size, numbers(5, 9)[0]], [19, 19, 6]);
  // 36 units back on any covered number, the far ends included: nineteen staked, seventeen won.
  assert.deepEqual([settleAll(wide, 5), settleAll(wide, 6), settleAll(wide, 34)], [3600, 3600, 0], "34 lies just beyond the spread");
  for (const spread of [0, 10, 1.5, '2']) assert.throws(() => neighboursBet(5, spread), RangeError, String(spread));
  assert.throws(() => neighboursBet(37, 2), RangeError);
});

test('the statistics board counts the last 500 spins by chance, dozen and column', () => {
  const stats = spinStats([0, 1, 2, 12, 13, 36, 36, 19], 3);
  assert.deepEqual(stats, {
    spins: 8, zero: 1, red: 5, black: 2, odd: 3, even: 4, low: 4, high: 3,
    dozens: [3, 2, 2], columns: [3, 1, 3], hot: [36, 0, 1], cold: [3, 4, 5],
  });
  let spins = [];
  for (let i = 0; i < SPIN_LIMIT + 3; i++) spins = addSpin(spins, i % 37);
  assert.deepEqual([spins.length, spins[0], spins.at(-1)], [SPIN_LIMIT, 3, (SPIN_LIMIT + 2) % 37]);
  assert.deepEqual([readSpins([4, 37, -1, '5', 2.5, null, 0]), readSpins({ 0: 4 })], [[4, 0], []]);
});

test('favourite bets are a short list of named slips on real spots', () => {
  const isSpot = (spot) => SPOTS.has(spot);
  let list = [];
  ({ list } = saveFavourite(list, '  Zero   and friends ', { 0: 2, 'split 0/3': 1 }, isSpot));
  ({ list } = saveFavourite(list, 'Reds', { red: 5 }, isSpot));
  assert.deepEqual(list.map((f) => f.name), ['Zero and friends', 'Reds']);
  // The same name (in any case) replaces the favourite in its place.
  ({ list } = saveFavourite(list, 'zero AND friends', { 17: 1 }, isSpot));
  assert.deepEqual(list.map((f) => [f.name, f.bets]), [['zero AND friends', { 17: 1 }], ['Reds', { red: 5 }]]);
  const refused = (name, bets, from = list) => saveFavourite(from, name, bets, isSpot).reason;
  assert.deepEqual([refused('', { red: 1 }), refused('x'.repeat(25), { red: 1 }), refused('A\u0007', { red: 1 }),
    refused('Odd', {}), refused('Odd', { nowhere: 1 }), refused('Odd', { red: 1.5 })], ['name', 'name', 'name', 'empty', 'empty', 'empty']);
  const full = Array.from({ length: FAVOURITES_MAX }, (_, i) => ({ name: `F${i}`, bets: { red: 1 } }));
  assert.deepEqual([refused('One more', { red: 1 }, full), refused('f3', { black: 1 }, full)], ['full', ''], 'a full list takes a replacement');
  assert.deepEqual([removeFavourite(list, 'REDS').map((f) => f.name), findFavourite(list, 'reds').bets], [['zero AND friends'], { red: 5 }]);

  // What a hand-edited save holds is kept only where it is sound.
  const saved = [{ name: 'Reds', bets: { red: 5 } }, { name: 'reds', bets: { black: 1 } }, { name: 'Bad', bets: { moon: 1 } },
    { name: ' padded', bets: { red: 1 } }, 'Reds', null, ...full];
  assert.deepEqual(readFavourites(saved, isSpot).map((f) => f.name), ['Reds', ...full.slice(0, FAVOURITES_MAX - 1).map((f) => f.name)]);
});
