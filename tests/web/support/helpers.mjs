// A stand-in for window.localStorage: the Storage methods the kit uses, plus a
// switch that makes every call throw, as a full or disabled storage does.
export class FakeStorage {
  constructor(entries = {}) {
    this.map = new Map(Object.entries(entries));
    this.broken = false;
  }
  guard() { if (this.broken) throw new Error('storage is unavailable'); }
  getItem(key) { this.guard(); return this.map.has(key) ? this.map.get(key) : null; }
  setItem(key, value) { this.guard(); this.map.set(key, String(value)); }
}

/** Collects the kit's console lines instead of printing them. */
export function logSink() {
  const lines = [];
  const log = (line) => lines.push(line);
  log.lines = lines;
  return log;
}

/**
 * The chi-square value exceeded by chance about once in a million runs
 * (Wilson–Hilferty, z = 4.75), so a uniformity test over a real random source
 * practically never fails by bad luck.
 */
export const critical = (df, z = 4.75) => df * (1 - 2 / (9 * df) + z * Math.sqrt(2 / (9 * df))) ** 3;
