import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRandom, cryptoSource, seededSource, Shoe } from '../../web/js/kit/random.js';
import { freshDeck, isCard } from '../../web/js/kit/cards.js';
import { chiSquare, chiSquareTail, SIGNIFICANCE } from './support/chi-square.mjs';

// Shuffles `size` items `trials` times and tests whether every item lands in
// every position equally often. Rows and columns of the table each sum to
// `trials`, which leaves (size - 1)^2 degrees of freedom.
function positionUniformity(shuffle, { size = 6, trials = 60000 } = {}) {
  const counts = new Array(size * size).fill(0);
  for (let t = 0; t < trials; t++) {
    const items = Array.from({ length: size }, (_, i) => i);
    shuffle(items);
    items.forEach((item, position) => { counts[item * size + position]++; });
  }
  return chiSquareTail(chiSquare(counts, trials / size), (size - 1) ** 2);
}

// Two classic mistakes, built on the same uniform integers as the real shuffle.
function naiveShuffle(random) {
  return (items) => {
    for (let i = 0; i < items.length; i++) {
      const j = random.randomInt(items.length);
      [items[i], items[j]] = [items[j], items[i]];
    }
  };
}
function offByOneShuffle(random) {
  return (items) => {
    for (let i = items.length - 1; i > 0; i--) {
      const j = random.randomInt(i);
      [items[i], items[j]] = [items[j], items[i]];
    }
  };
}

test('shuffle puts every item in every position equally often', async (t) => {
  await t.test('with an injected source', () => {
    const random = createRandom(seededSource(20261206));
    assert.ok(positionUniformity(random.shuffle) >= SIGNIFICANCE);
  });
  await t.test('with crypto.getRandomValues', () => {
    const random = createRandom(cryptoSource());
    assert.ok(positionUniformity(random.shuffle) >= SIGNIFICANCE);
  });
  await t.test('and the same test catches a naive or an off-by-one shuffle', () => {
    const random = createRandom(seededSource(7));
    assert.ok(positionUniformity(naiveShuffle(random)) < SIGNIFICANCE);
    assert.ok(positionUniformity(offByOneShuffle(random)) < SIGNIFICANCE);
  });
});

test('randomInt is uniform over a range that does not divide 2^32', () => {
  for (const source of [seededSource(99), cryptoSource()]) {
    const random = createRandom(source);
    const n = 37, trials = 74000;
    const counts = new Array(n).fill(0);
    for (let i = 0; i < trials; i++) counts[random.randomInt(n)]++;
    assert.ok(chiSquareTail(chiSquare(counts, trials / n), n - 1) >= SIGNIFICANCE);
  }
});

test('rejection sampling discards the biased top of the range and never leaves [0, n)', () => {
  // 2^32 mod 3 is 1, so 2^32 - 1 is the one value that must be drawn again.
  const script = [0xffffffff, 0xfffffffe];
  const random = createRandom(() => script.shift());
  assert.equal(random.randomInt(3), 0xfffffffe % 3);
  assert.equal(script.length, 0);

  const edges = [0, 1, 0x7fffffff, 0x80000000, 0xfffffffe, 0xffffffff];
  let k = 0;
  const cycling = createRandom(() => edges[k++ % edges.length]);
  for (const n of [1, 2, 3, 6, 7, 52, 312, 1e9, 2 ** 31 + 1, 2 ** 32 - 1, 2 ** 32]) {
    for (let i = 0; i < 20; i++) {
      const x = cycling.randomInt(n);
      assert.ok(Number.isInteger(x) && x >= 0 && x < n, `${x} for n = ${n}`);
    }
  }
});

test('bad ranges and a broken source are refused rather than answered', () => {
  const random = createRandom(seededSource(1));
  for (const n of [0, -1, 1.5, NaN, 2 ** 32 + 1, '6']) assert.throws(() => random.randomInt(n), RangeError);
  assert.throws(() => createRandom(() => -1).randomInt(6), RangeError);
  assert.throws(() => createRandom(() => 2 ** 32).randomInt(6), RangeError);
});

test('a shoe deals whole decks and asks for a shuffle at its cut card', () => {
  const shoe = new Shoe({ decks: 6, penetration: 0.75, random: createRandom(seededSource(3)) });
  assert.equal(shoe.size, 312);
  const dealt = [];
  while (!shoe.needsShuffle) dealt.push(shoe.draw());
  assert.equal(dealt.length, 234);
  for (let i = 234; i < 312; i++) dealt.push(shoe.draw());
  const counts = new Map();
  for (const c of dealt) counts.set(c, (counts.get(c) ?? 0) + 1);
  assert.equal(counts.size, 52);
  assert.deepEqual(new Set(counts.values()), new Set([6]));
  assert.equal(shoe.remaining, 0);

  // Running past the last card reshuffles instead of failing the round.
  assert.ok(isCard(shoe.draw()));
  assert.equal(shoe.reshuffles, 1);
  assert.equal(shoe.remaining, 311);

  assert.throws(() => new Shoe({ decks: 0 }), RangeError);
  assert.throws(() => new Shoe({ penetration: 0 }), RangeError);
  assert.equal(freshDeck().length, 52);
});
