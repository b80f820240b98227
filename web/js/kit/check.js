// SPDX-License-Identifier: GPL-3.0-or-later
// The checks every table runs over what it reads back from its save: a saved
// value may have been edited by hand or cut short, and one that a table takes
// on trust can stop it dealing for good. Pure; nothing here throws.
import { isCard } from './cards.js';

// Far deeper than anything a table writes, and shallow enough that copying
// or writing the value can never run out of stack.
export const DEPTH_MAX = 24;
// Longer than any list or text a table keeps (roulette's 500 spins, a shoe's cards).
export const LIST_MAX = 1000;
export const TEXT_MAX = 4096;

// Keys that name an object's own machinery rather than data.
export const MACHINERY = new Set(['__proto__', 'constructor', 'prototype']);

export const isPlainObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v) &&
  [Object.prototype, null].includes(Object.getPrototypeOf(v));

export const isCount = (v, max = Number.MAX_SAFE_INTEGER) => Number.isSafeInteger(v) && v >= 0 && v <= max;
export const isBoundedString = (v, max) => typeof v === 'string' && v.length <= max;
export const isOneOf = (v, list) => typeof v === 'string' && list.includes(v);
/** Cents of whole chips, more than none and at most `max` cents. */
export const isStake = (v, max) => isCount(v, max) && v > 0 && v % 100 === 0;

/** The newest `max` of a list (newest last), the list itself when it is short enough. */
export const newest = (list, max) => (list.length > max ? list.slice(-max) : list);

/**
 * Whether a value is plain data a page can copy and write: arrays (at most
 * LIST_MAX long) and plain objects at most `depth` deep, finite numbers and
 * strings of at most TEXT_MAX characters. Keys that could reach an
 * object's prototype are deleted on the way (`stripped` counts them), as no
 * table keeps anything under such a name. Walked without recursion, so any
 * nesting is answered.
 */
export function checkData(value, depth = DEPTH_MAX) {
  const stack = [[value, 0]];
  let stripped = 0;
  while (stack.length) {
    const [v, d] = stack.pop();
    if (v === null || typeof v !== 'object') {
      if (typeof v === 'number' && !Number.isFinite(v)) return { sound: false, stripped };
      if (typeof v === 'string' && v.length > TEXT_MAX) return { sound: false, stripped };
      if (typeof v === 'function' || typeof v === 'symbol' || typeof v === 'bigint') return { sound: false, stripped };
      continue;
    }
    if (d >= depth) return { sound: false, stripped };
    if (Array.isArray(v)) {
      if (v.length > LIST_MAX) return { sound: false, stripped };
      for (const item of v) stack.push([item, d + 1]);
    } else if (isPlainObject(v)) {
      for (const key of Object.keys(v)) {
        if (MACHINERY.has(key)) { delete v[key]; stripped++; } else stack.push([v[key], d + 1]);
      }
    } else {
      return { sound: false, stripped };
    }
  }
  return { sound: true, stripped };
}

/**
 * Cards that could all have come from `decks` decks: a list of `min` to
 * `max` cards with no card more often than the decks hold it. `counts`, when
 * given, carries the tally over several lists (a round's hands and the dealer's).
 */
export function isCardList(list, { min = 0, max = Infinity, decks = 1, counts = new Map() } = {}) {
  if (!Array.isArray(list) || list.length < min || list.length > max) return false;
  for (const c of list) {
    if (!isCard(c)) return false;
    const n = (counts.get(c) ?? 0) + 1;
    if (n > decks) return false;
    counts.set(c, n);
  }
  return true;
}

/** A value in words for a log line, never long. */
export function describe(value) {
  if (value === undefined) return 'missing';
  if (Array.isArray(value)) return 'an array';
  if (typeof value === 'number' && !Number.isFinite(value)) return String(value);
  let text;
  try { text = JSON.stringify(value); } catch { text = String(value); }
  if (text === undefined) text = typeof value;
  return text.length > 40 ? text.slice(0, 40) + '…' : text;
}
