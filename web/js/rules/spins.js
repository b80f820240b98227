// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette table's statistics board: the last 500 winning numbers, kept in
// the table's saved game value, counted by the even-money chances, dozens,
// columns and zero, beside the hot and cold numbers of roulette.js.
import { RED, isPocket, hotAndCold } from './roulette.js';

export const SPIN_LIMIT = 500;

/** The saved spins as far as they are pockets, newest last, at most `limit`. */
export function readSpins(saved, limit = SPIN_LIMIT) {
  return Array.isArray(saved) ? saved.filter(isPocket).slice(-limit) : [];
}

/** The spins with `number` added, the oldest dropped beyond `limit`. */
export function addSpin(spins, number, limit = SPIN_LIMIT) {
  if (!isPocket(number)) throw new RangeError(`roulette: no pocket ${number}`);
  return [...readSpins(spins, limit), number].slice(-limit);
}

/**
 * Counts over the spins: { spins, zero, red, black, odd, even, low, high,
 * dozens: [1–12, 13–24, 25–36], columns: [1st, 2nd, 3rd], hot, cold }.
 * Zero is none of the others; `hot` and `cold` are hotAndCold's.
 */
export function spinStats(spins, hotCount = 5) {
  const out = { spins: 0, zero: 0, red: 0, black: 0, odd: 0, even: 0, low: 0, high: 0, dozens: [0, 0, 0], columns: [0, 0, 0] };
  const valid = readSpins(spins, Infinity);
  for (const n of valid) {
    out.spins++;
    if (n === 0) { out.zero++; continue; }
    out[RED.has(n) ? 'red' : 'black']++;
    out[n % 2 ? 'odd' : 'even']++;
    out[n <= 18 ? 'low' : 'high']++;
    out.dozens[Math.floor((n - 1) / 12)]++;
    out.columns[(n - 1) % 3]++;
  }
  const { hot, cold } = hotAndCold(valid, hotCount);
  return { ...out, hot, cold };
}
