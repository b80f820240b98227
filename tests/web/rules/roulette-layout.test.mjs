import { test } from 'node:test';
import assert from 'node:assert/strict';
import { HOTSPOTS, nextSpot } from '../../../web/js/roulette/layout.js';
import { SPOTS } from '../../../web/js/roulette/table.js';

test('every layout bet has one place on the board, on the lines between its numbers', () => {
  assert.equal(HOTSPOTS.length, SPOTS.size);
  assert.equal(new Set(HOTSPOTS.map((h) => h.spot)).size, SPOTS.size);
  const at = (spot) => HOTSPOTS.find((h) => h.spot === spot);
  const centre = (n) => at(String(n));
  for (const h of HOTSPOTS.filter((s) => ['split', 'corner'].includes(s.bet.kind) && !s.bet.numbers.includes(0))) {
    const xs = h.bet.numbers.map((n) => centre(n).x);
    const ys = h.bet.numbers.map((n) => centre(n).y);
    assert.equal(h.x, (Math.min(...xs) + Math.max(...xs)) / 2, h.spot);
    assert.equal(h.y, (Math.min(...ys) + Math.max(...ys)) / 2, h.spot);
  }
});

test('the arrow keys reach every spot on the layout from anywhere', () => {
  const dirs = [[1, 0], [-1, 0], [0, 1], [0, -1]];
  const seen = new Set(['17']);
  const queue = [HOTSPOTS.find((h) => h.spot === '17')];
  while (queue.length) {
    const h = queue.shift();
    for (const d of dirs) {
      const next = nextSpot(h, ...d);
      if (!seen.has(next.spot)) { seen.add(next.spot); queue.push(next); }
    }
  }
  assert.deepEqual([...SPOTS.keys()].filter((s) => !seen.has(s)), []);
});
