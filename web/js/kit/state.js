// SPDX-License-Identifier: GPL-3.0-or-later
// One JSON value per table, kept in localStorage under the table's storeKey.
// The shell mirrors localStorage into its save file and removes exactly that
// key to reset a table, so a table must keep all of its state in this one value.
//
// Whatever is stored is read defensively: the file may have been edited by
// hand, written by an older page or cut short. Bad fields fall back to their
// defaults one by one (with a console line naming them), so one broken field
// never costs the player the rest; a value that does not parse at all is set
// aside under `<storeKey>.unreadable` before it can be overwritten.
import { STARTING_BANKROLL, isCents } from './money.js';

export const STATE_VERSION = 1;
export const HISTORY_LIMIT = 50;
export const UNREADABLE_SUFFIX = '.unreadable';

const defaultLog = (line) => console.warn(`Velmar Casino: ${line}`);
const isPlainObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
const isCount = (v) => Number.isSafeInteger(v) && v >= 0;

function sameKind(value, fallback) {
  if (typeof fallback === 'number') return typeof value === 'number' && Number.isFinite(value);
  if (Array.isArray(fallback)) return Array.isArray(value);
  if (isPlainObject(fallback)) return isPlainObject(value);
  return typeof value === typeof fallback;
}

/** A fresh state; `settings` and `stats` are the table's own defaults. */
export function defaultState({ settings = {}, stats = {} } = {}) {
  return {
    version: STATE_VERSION,
    bankroll: STARTING_BANKROLL,
    settings: { muted: false, ...structuredClone(settings) },
    stats: { rounds: 0, wagered: 0, won: 0, ...structuredClone(stats) },
    history: [],
    game: {},
  };
}

/**
 * Turns anything (parsed JSON or not) into a valid state. Returns the state
 * and the list of repairs made, empty when the value was already sound.
 * Settings keep only the keys the table declares, each of its default's type
 * (and passing `validate[key]` when given); statistics keep every
 * non-negative integer; history keeps its newest `historyLimit` objects.
 */
export function sanitizeState(raw, options = {}) {
  const { historyLimit = HISTORY_LIMIT, validate = {} } = options;
  const state = defaultState(options);
  const repairs = [];
  if (!isPlainObject(raw)) {
    if (raw !== undefined) repairs.push(`state is ${describe(raw)}, not an object`);
    return { state, repairs };
  }

  if (isCents(raw.bankroll)) state.bankroll = raw.bankroll;
  else repairs.push(`bankroll ${describe(raw.bankroll)}`);

  if (isPlainObject(raw.settings)) {
    for (const [key, fallback] of Object.entries(state.settings)) {
      if (!(key in raw.settings)) continue;
      const value = raw.settings[key];
      const check = validate[key];
      if (sameKind(value, fallback) && (!check || check(value))) state.settings[key] = value;
      else repairs.push(`setting ${key} ${describe(value)}`);
    }
    for (const key of Object.keys(raw.settings)) {
      if (!(key in state.settings)) repairs.push(`setting ${key} is not one of this table's`);
    }
  } else if (raw.settings !== undefined) {
    repairs.push(`settings ${describe(raw.settings)}`);
  }

  if (isPlainObject(raw.stats)) {
    for (const [key, value] of Object.entries(raw.stats)) {
      if (isCount(value)) state.stats[key] = value;
      else repairs.push(`statistic ${key} ${describe(value)}`);
    }
  } else if (raw.stats !== undefined) {
    repairs.push(`stats ${describe(raw.stats)}`);
  }

  if (Array.isArray(raw.history)) {
    const kept = raw.history.filter(isPlainObject);
    if (kept.length !== raw.history.length) repairs.push('history entries that are not objects');
    state.history = kept.slice(-historyLimit);
  } else if (raw.history !== undefined) {
    repairs.push(`history ${describe(raw.history)}`);
  }

  if (isPlainObject(raw.game)) state.game = raw.game;
  else if (raw.game !== undefined) repairs.push(`game ${describe(raw.game)}`);

  return { state, repairs };
}

function describe(value) {
  if (value === undefined) return 'missing';
  if (Array.isArray(value)) return 'an array';
  if (typeof value === 'number' && !Number.isFinite(value)) return String(value);
  let text;
  try { text = JSON.stringify(value); } catch { text = String(value); }
  if (text === undefined) text = typeof value;
  return text.length > 40 ? text.slice(0, 40) + '…' : text;
}

// Sets text aside under the first free name, so that an earlier copy is
// never overwritten; gives the name used, or null when storage refused it.
function setAside(storage, key, text) {
  for (let n = 1; n < 1000; n++) {
    const name = key + UNREADABLE_SUFFIX + (n === 1 ? '' : `-${n}`);
    try {
      if (storage.getItem(name) !== null) continue;
      storage.setItem(name, text);
      return name;
    } catch { return null; }
  }
  return null;
}

/**
 * Reads the state under `key` from `storage`. Never throws: a missing entry
 * gives the defaults quietly; an unreadable one is set aside, logged, and
 * replaced by the defaults; field repairs are logged.
 */
export function loadState(storage, key, options = {}) {
  const log = options.log ?? defaultLog;
  let text = null;
  try { text = storage ? storage.getItem(key) : null; } catch (e) {
    log(`could not read ${key}: ${e?.message ?? e}`);
  }
  if (text === null || text === undefined) return sanitizeState(undefined, options).state;

  let raw;
  try { raw = JSON.parse(text); } catch {
    const name = setAside(storage, key, String(text));
    log(`${key} is not readable JSON; ${name ? `set aside as ${name}` : 'could not be set aside'}, starting afresh`);
    return sanitizeState(undefined, options).state;
  }
  const { state, repairs } = sanitizeState(raw, options);
  if (repairs.length) {
    if (!isPlainObject(raw)) setAside(storage, key, String(text));
    log(`${key}: replaced by defaults: ${repairs.join('; ')}`);
  }
  return state;
}

/** Writes the state; false (and a console line) when storage refuses it. */
export function saveState(storage, key, state, log = defaultLog) {
  if (!storage) return false;
  try { storage.setItem(key, JSON.stringify(state)); return true; } catch (e) {
    log(`could not save ${key}: ${e?.message ?? e}`);
    return false;
  }
}

/**
 * A table's state with write-through: every change goes through change(),
 * which validates the result and saves it at once. A change that would leave
 * the state unsound (a negative or fractional bankroll, say) is refused and
 * the previous state kept.
 */
export class TableState {
  constructor({ storage, storeKey, settings = {}, stats = {}, historyLimit = HISTORY_LIMIT,
    validate = {}, log = defaultLog } = {}) {
    if (typeof storeKey !== 'string' || !storeKey) throw new TypeError('TableState needs a storeKey');
    this.storage = storage ?? null;
    this.storeKey = storeKey;
    this.options = { settings, stats, historyLimit, validate, log };
    this.log = log;
    this.listeners = new Set();
    this.current = loadState(this.storage, storeKey, this.options);
  }

  get bankroll() { return this.current.bankroll; }
  get settings() { return this.current.settings; }
  get stats() { return this.current.stats; }
  get history() { return this.current.history; }
  get game() { return this.current.game; }
  /** A deep copy of the whole state, for display or tests. */
  snapshot() { return structuredClone(this.current); }

  /** Calls `fn` with a draft copy; saves it if it is sound. True when applied. */
  change(fn) {
    const draft = structuredClone(this.current);
    let result;
    try { result = fn(draft); } catch (e) {
      this.log(`${this.storeKey}: change failed and was not applied: ${e?.message ?? e}`);
      return false;
    }
    if (result && typeof result === 'object') Object.assign(draft, result);
    const { state, repairs } = sanitizeState(draft, this.options);
    if (repairs.length) {
      this.log(`${this.storeKey}: change refused: ${repairs.join('; ')}`);
      return false;
    }
    this.current = state;
    saveState(this.storage, this.storeKey, state, this.log);
    for (const listener of this.listeners) listener(this.snapshot());
    return true;
  }

  /** Adds (or with a negative amount takes) cents; refused if it would go below zero. */
  adjust(cents) {
    if (!Number.isSafeInteger(cents)) {
      this.log(`${this.storeKey}: refused to adjust the bankroll by ${cents}`);
      return false;
    }
    return this.change((s) => { s.bankroll += cents; });
  }

  setSetting(key, value) {
    return this.change((s) => { s.settings[key] = value; });
  }

  /**
   * Settles a round in one write: `staked` cents were wagered (already taken
   * from the bankroll when the bet was placed), `returned` cents come back
   * (stake included), `entry` is the history line.
   */
  settle({ staked = 0, returned = 0, entry = null, stats = {} } = {}) {
    return this.change((s) => {
      s.bankroll += returned;
      s.stats.rounds += 1;
      s.stats.wagered += staked;
      s.stats.won += Math.max(0, returned - staked);
      for (const [k, by] of Object.entries(stats)) s.stats[k] = (s.stats[k] ?? 0) + by;
      if (entry) s.history.push(entry);
    });
  }

  /**
   * Starts the table again with the starting bankroll, no history and fresh
   * statistics, as the shell's reset does, but keeps the player's settings and
   * the table's own game value (a shoe in play, the last bets to repeat).
   */
  startAgain() {
    const fresh = defaultState(this.options);
    return this.change((s) => {
      s.bankroll = fresh.bankroll;
      s.stats = fresh.stats;
      s.history = [];
    });
  }

  subscribe(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }
}
