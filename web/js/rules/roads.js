// SPDX-License-Identifier: GPL-3.0-or-later
// The three derived roads of a baccarat scoreboard: big eye boy, small road
// and cockroach pig. Each reads the big road's streaks (ties left out, a
// dragon tail still part of its streak) and marks red where the road repeats
// the shape of a column 1, 2 or 3 to the left, blue where it breaks it. The
// marks are then laid out like the big road itself: a column per run of one
// colour, turning right at the bottom. Pure, like the rules beside it.
import { bigRoad } from './baccarat.js';

export const DERIVED_ROADS = Object.freeze([
  Object.freeze({ name: 'bigEyeBoy', offset: 1 }),
  Object.freeze({ name: 'smallRoad', offset: 2 }),
  Object.freeze({ name: 'cockroachPig', offset: 3 }),
]);

/** The lengths of the big road's columns in order: one per streak of banker or player wins. */
export function streaks(results) {
  const lengths = [];
  let last = null;
  for (const r of results) {
    if (r.winner !== 'banker' && r.winner !== 'player') continue;
    if (r.winner === last) lengths[lengths.length - 1]++;
    else { lengths.push(1); last = r.winner; }
  }
  return lengths;
}

/**
 * The marks ('red' or 'blue') of the road comparing columns `offset` apart,
 * one per big road entry from the road's first: the second entry of column
 * `offset` (counting from 0) or, when that column holds one entry, the first
 * of the next. An entry opening a column compares the two columns before it
 * (the one just finished and the one `offset` further left): red when they
 * are as long. Any other entry looks at the column `offset` to its left: red
 * when that column reaches its row or stops at least two short of it, blue
 * when it stops just above it.
 */
export function derivedRoad(results, offset) {
  if (!Number.isInteger(offset) || offset < 1) throw new RangeError(`baccarat: no derived road at offset ${offset}`);
  const cols = streaks(results);
  const marks = [];
  for (let c = offset; c < cols.length; c++) {
    for (let row = c === offset ? 1 : 0; row < cols[c]; row++) {
      const repeats = row === 0 ? cols[c - 1] === cols[c - 1 - offset] : cols[c - offset] !== row;
      marks.push(repeats ? 'red' : 'blue');
    }
  }
  return marks;
}

/** Marks laid out on a grid of `rows` rows as the big road lays out wins: [{ mark, col, row }]. */
export function roadCells(marks, rows = 6) {
  return bigRoad(marks.map((m) => ({ winner: m })), rows).map(({ winner, col, row }) => ({ mark: winner, col, row }));
}

/** All three derived roads of a shoe's results, as cells to draw: { bigEyeBoy, smallRoad, cockroachPig }. */
export function derivedRoads(results, rows = 6) {
  return Object.fromEntries(DERIVED_ROADS.map(({ name, offset }) => [name, roadCells(derivedRoad(results, offset), rows)]));
}

/**
 * What each derived road would show next if the banker or the player won the
 * next coup, as players ask the scoreboard before betting:
 * { banker: { bigEyeBoy: 'red' | 'blue' | null, ... }, player: { ... } };
 * null where the road would not take a mark yet.
 */
export function nextMarks(results) {
  const out = {};
  for (const winner of ['banker', 'player']) {
    const after = [...results, { winner }];
    out[winner] = Object.fromEntries(DERIVED_ROADS.map(({ name, offset }) => {
      const now = derivedRoad(results, offset).length;
      const then = derivedRoad(after, offset);
      return [name, then.length > now ? then.at(-1) : null];
    }));
  }
  return out;
}
