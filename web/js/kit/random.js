// SPDX-License-Identifier: GPL-3.0-or-later
// Randomness for the tables: a uniform source, Fisher–Yates shuffling and a
// shoe of several decks with a cut card. Every game takes its randomness from
// here so tests can inject a known source.
import { freshDeck, isCard } from './cards.js';

const TWO_32 = 0x100000000;

/**
 * A source of uniform 32-bit unsigned integers drawn from crypto.getRandomValues,
 * fetched in blocks because each call into the engine's generator costs more
 * than the arithmetic around it.
 */
export function cryptoSource(crypto = globalThis.crypto) {
  if (!crypto || typeof crypto.getRandomValues !== 'function') {
    throw new Error('crypto.getRandomValues is not available');
  }
  const block = new Uint32Array(256);
  let next = block.length;
  return () => {
    if (next === block.length) { crypto.getRandomValues(block); next = 0; }
    return block[next++];
  };
}

/**
 * A small deterministic source (mulberry32) for tests and replays. Never used
 * for real play: its state is 32 bits.
 */
export function seededSource(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return (t ^ (t >>> 14)) >>> 0;
  };
}

/**
 * Wraps a uint32 source into the helpers games use. randomInt(n) is uniform in
 * [0, n): draws at or above the largest multiple of n below 2^32 are rejected,
 * so no value is favoured by the modulo.
 */
export function createRandom(source = cryptoSource()) {
  const uint32 = () => {
    const x = source();
    if (!Number.isInteger(x) || x < 0 || x >= TWO_32) {
      throw new RangeError(`random source gave ${x}, not a 32-bit unsigned integer`);
    }
    return x;
  };
  const randomInt = (n) => {
    if (!Number.isInteger(n) || n < 1 || n > TWO_32) {
      throw new RangeError(`randomInt needs an integer from 1 to 2^32, got ${n}`);
    }
    const limit = TWO_32 - (TWO_32 % n);
    for (;;) {
      const x = uint32();
      if (x < limit) return x % n;
    }
  };
  const shuffle = (items) => {
    for (let i = items.length - 1; i > 0; i--) {
      const j = randomInt(i + 1);
      const t = items[i]; items[i] = items[j]; items[j] = t;
    }
    return items;
  };
  const pick = (items) => items[randomInt(items.length)];
  return { uint32, randomInt, shuffle, pick };
}

let shared = null;
/** The page-wide random helpers over crypto.getRandomValues, made on first use. */
export function defaultRandom() {
  if (!shared) shared = createRandom(cryptoSource());
  return shared;
}

export const randomInt = (n, random = defaultRandom()) => random.randomInt(n);
export const shuffle = (items, random = defaultRandom()) => random.shuffle(items);

/**
 * A shoe of `decks` shuffled decks. The cut card sits after `penetration` of the
 * cards; once it has come out, needsShuffle is true and the game reshuffles
 * between rounds. A round that runs past the last card never fails: the shoe
 * reshuffles itself and carries on.
 */
export class Shoe {
  constructor({ decks = 6, penetration = 0.75, random = defaultRandom() } = {}) {
    if (!Number.isInteger(decks) || decks < 1 || decks > 16) {
      throw new RangeError(`a shoe holds 1 to 16 decks, not ${decks}`);
    }
    if (!(penetration > 0 && penetration <= 1)) {
      throw new RangeError(`penetration must be in (0, 1], not ${penetration}`);
    }
    this.decks = decks;
    this.penetration = penetration;
    this.random = random;
    this.shuffle();
  }

  get size() { return this.cards.length; }
  get remaining() { return this.cards.length - this.dealt; }
  get needsShuffle() { return this.dealt >= this.cutIndex; }

  shuffle() {
    const cards = [];
    for (let d = 0; d < this.decks; d++) cards.push(...freshDeck());
    this.cards = this.random.shuffle(cards);
    this.dealt = 0;
    this.cutIndex = Math.min(this.cards.length, Math.max(1, Math.round(this.cards.length * this.penetration)));
    this.reshuffles = (this.reshuffles ?? -1) + 1;
  }

  draw() {
    if (this.dealt >= this.cards.length) this.shuffle();
    return this.cards[this.dealt++];
  }

  /**
   * The shoe as a table saves it: the cards still to come, next first, as one
   * string ("AsKd…"), and how many of them come before the cut card (0 once
   * it is out).
   */
  toJSON() {
    return { decks: this.decks, cards: this.cards.slice(this.dealt).join(''), cut: Math.max(0, this.cutIndex - this.dealt) };
  }

  /**
   * Takes back a saved shoe. One that could not have come from this shoe (other
   * decks, a card too many, the cut card elsewhere than this shoe puts it) is
   * refused: the shoe is shuffled afresh and false returned.
   */
  restore(saved) {
    const rest = savedCards(saved, this.decks);
    const size = 52 * this.decks;
    const dealt = rest ? size - rest.length : 0;
    const cutIndex = Math.min(size, Math.max(1, Math.round(size * this.penetration)));
    if (!rest || !Number.isInteger(saved.cut) || saved.cut < 0 || saved.cut > rest.length ||
        (saved.cut > 0 ? dealt + saved.cut !== cutIndex : dealt < cutIndex)) {
      this.shuffle();
      return false;
    }
    // The cards already dealt, in deck order: only their number matters now.
    const left = new Map();
    for (const c of rest) left.set(c, (left.get(c) ?? 0) + 1);
    const gone = [];
    for (let d = 0; d < this.decks; d++) {
      for (const c of freshDeck()) {
        if (left.get(c)) left.set(c, left.get(c) - 1);
        else gone.push(c);
      }
    }
    this.cards = [...gone, ...rest];
    this.dealt = dealt;
    this.cutIndex = cutIndex;
    return true;
  }

  /** A shoe with `options` restored from `saved`; `restored` says whether it was, or was shuffled afresh. */
  static fromJSON(saved, options = {}) {
    const shoe = new Shoe(options);
    shoe.restored = shoe.restore(saved);
    return shoe;
  }
}

// The saved cards as a list, when they are cards and no card appears more
// often than a shoe of `decks` decks holds it; null otherwise.
function savedCards(saved, decks) {
  if (!saved || typeof saved !== 'object' || saved.decks !== decks || typeof saved.cards !== 'string') return null;
  const text = saved.cards;
  if (text.length % 2 || text.length > 104 * decks) return null;
  const cards = [];
  const seen = new Map();
  for (let i = 0; i < text.length; i += 2) {
    const c = text.slice(i, i + 2);
    if (!isCard(c)) return null;
    seen.set(c, (seen.get(c) ?? 0) + 1);
    if (seen.get(c) > decks) return null;
    cards.push(c);
  }
  return cards;
}
