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
  removeItem(key) { this.guard(); this.map.delete(key); }
  get length() { return this.map.size; }
}

/** Collects the kit's console lines instead of printing them. */
export function logSink() {
  const lines = [];
  const log = (line) => lines.push(line);
  log.lines = lines;
  return log;
}
