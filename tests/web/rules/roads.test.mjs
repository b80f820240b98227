// SPDX-License-Identifier: GPL-3.0-or-later
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { streaks, derivedRoad, derivedRoads, nextMarks } from '../../../web/js/rules/roads.js';

const results = (s) => s.split('').map((c) => ({ winner: { B: 'banker', P: 'player', T: 'tie' }[c] }));
const marks = (s, offset) => derivedRoad(results(s), offset).map((m) => (m === 'red' ? 'R' : 'B')).join('');

test('derived roads mark hand-worked shoes entry by entry', () => {
  // Streaks 2, 1, 3, 2, 2 (the tie takes no cell). Big eye boy cannot start at column 1's second row,
  // so it starts at column 2: 1≠2 blue; row 1 against column 1 stopping just above, blue; row 2 with
  // column 1 two short, red; column 3 opens on 3≠1 blue, row 1 red; column 4 opens on 2≠3 blue, row 1 red.
  const shoe = 'BBPBBBPPBTB';
  assert.deepEqual(streaks(results(shoe)), [2, 1, 3, 2, 2]);
  assert.equal(marks(shoe, 1), 'BBRBRBR');
  // Small road from column 2 row 1: column 0 reaches row 1 red, stops above row 2 blue; 3≠2 blue,
  // column 1 stops above row 1 blue; 2≠1 blue, column 2 reaches row 1 red.
  assert.equal(marks(shoe, 2), 'RBBBBR');
  // Cockroach pig from column 3 row 1: red; column 4 opens on 2=2 red, column 1 stops above row 1 blue.
  assert.equal(marks(shoe, 3), 'RRB');

  // Streaks 1, 2, 3, 1: big eye boy starts at column 1's second row (column 0 stops above it: blue).
  const second = 'PBBPPPB';
  assert.deepEqual([marks(second, 1), marks(second, 2), marks(second, 3)], ['BBRBB', 'BRB', '']);
  // A banker win next would extend column 3, a player win would open column 4.
  assert.deepEqual(nextMarks(results(second)), {
    banker: { bigEyeBoy: 'red', smallRoad: 'red', cockroachPig: 'blue' },
    player: { bigEyeBoy: 'blue', smallRoad: 'blue', cockroachPig: 'red' },
  });
  assert.deepEqual(nextMarks(results('BBT')).player, { bigEyeBoy: null, smallRoad: null, cockroachPig: null });

  // One long streak beside a short one: a column of the same length is red until it overruns it.
  assert.equal(marks('BBBPPPPPPP', 1), 'RRBRRR');
  assert.throws(() => derivedRoad([], 0), RangeError);
});

test('derived marks are laid out in columns of one colour, like the big road', () => {
  const roads = derivedRoads(results('BBPBBBPPBTB'), 6);
  assert.deepEqual(roads.bigEyeBoy.map((c) => [c.mark[0], c.col, c.row]),
    [['b', 0, 0], ['b', 0, 1], ['r', 1, 0], ['b', 2, 0], ['r', 3, 0], ['b', 4, 0], ['r', 5, 0]]);
  assert.deepEqual(roads.cockroachPig.map((c) => [c.mark[0], c.col, c.row]), [['r', 0, 0], ['r', 0, 1], ['b', 1, 0]]);
  // A blue, then seven reds on a road of three rows: the reds turn right along the bottom.
  const long = derivedRoads(results('BPPPPPPPPP'), 3).bigEyeBoy;
  assert.deepEqual(long.map((c) => [c.mark[0], c.col, c.row]),
    [['b', 0, 0], ['r', 1, 0], ['r', 1, 1], ['r', 1, 2], ['r', 2, 2], ['r', 3, 2], ['r', 4, 2], ['r', 5, 2]]);
});
