// SPDX-License-Identifier: GPL-3.0-or-later
// localStorage's two methods the kit uses; `broken` makes them throw, as a full or disabled storage does.
export class FakeStorage {
  constructor(entries = {}) { this.map = new Map(Object.entries(entries)); this.broken = false; }
  guard() { if (this.broken) throw new Error('storage is unavailable'); }
  getItem(key) { this.guard(); return this.map.has(key) ? this.map.get(key) : null; }
  setItem(key, value) { this.guard(); this.map.set(key, String(value)); }
}

/** Collects the kit's console lines instead of printing them. */
export function logSink() {
  const lines = [];
  return Object.assign((line) => lines.push(line), { lines });
}

// The chi-square value a uniform source exceeds about once in a million runs
// (Wilson–Hilferty, z = 4.75), so bad luck practically never fails a test.
export const critical = (df, z = 4.75) => df * (1 - 2 / (9 * df) + z * Math.sqrt(2 / (9 * df))) ** 3;
