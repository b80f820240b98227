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
import { isPlainObject, isCount, checkData, describe, newest, MACHINERY, LIST_MAX } from './check.js';
import { eveningStart, addToEvening, stakeCounters } from './history.js';

export const STATE_VERSION = 1;
export const HISTORY_LIMIT = 50;
export const UNREADABLE_SUFFIX = '.unreadable';
// The largest round (as JSON) kept when it is set aside.
const SET_ASIDE_MAX = 16384;

const defaultLog = (line) => console.warn(`Velmar Casino: ${line}`);

// The evening's tally as history.js keeps it in the game value.
const isEvening = (e) => isPlainObject(e) && Number.isSafeInteger(e.since) && isCount(e.rounds) &&
  Number.isSafeInteger(e.net) && typeof e.take === 'number' && Number.isFinite(e.take);

/**
 * Parses a saved entry. Text that JSON refuses only for a NaN or an Infinity
 * (written by something other than JSON.stringify) is read with those as
 * null, so the fields around them are kept; anything else gives undefined.
 */
export function parseSaved(text) {
  try { return { raw: JSON.parse(text), exact: true }; } catch { /* try the lenient reading */ }
  const lenient = String(text).replace(/"(?:[^"\\]|\\.)*"|(-?\b(?:NaN|Infinity)\b)/g, (m, bare) => (bare ? 'null' : m));
  try { return { raw: JSON.parse(lenient), exact: false }; } catch { return { raw: undefined, exact: false }; }
}

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

// Names the round in play went by in older saves, before every table kept it under `round`.
const OLD_ROUND_KEYS = ['pending', 'hand'];

// An older save's round in play, under its old name, moves to `round`.
function moveRoundInPlay(game) {
  for (const key of OLD_ROUND_KEYS) {
    if (!(key in game)) continue;
    if (game.round === undefined || game.round === null) game.round = game[key];
    delete game[key];
  }
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
  const notes = [];
  const dropped = Object.create(null);
  let bankrollFrom = 'saved';
  if (!isPlainObject(raw)) {
    if (raw !== undefined) repairs.push(`state is ${describe(raw)}, not an object`);
    return { state, repairs, notes, dropped, bankrollFrom: 'start' };
  }

  if (isCents(raw.bankroll)) {
    state.bankroll = raw.bankroll;
  } else {
    // The chips after the newest round are the last sound figure there is.
    const last = Array.isArray(raw.history) ? raw.history.findLast((e) => isPlainObject(e) && isCents(e.bankroll)) : undefined;
    if (last) state.bankroll = last.bankroll;
    bankrollFrom = last ? 'record' : 'start';
    repairs.push(`bankroll ${describe(raw.bankroll)}, ${last ? 'the last round\'s chips' : 'the starting chips'} kept instead`);
  }

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
      if (isCount(value) && !MACHINERY.has(key)) state.stats[key] = value;
      else repairs.push(`statistic ${key} ${describe(value)}`);
    }
  } else if (raw.stats !== undefined) {
    repairs.push(`stats ${describe(raw.stats)}`);
  }

  if (Array.isArray(raw.history)) {
    // Newest first, so that a history of any length costs only what is kept.
    const kept = [];
    let unsound = 0, stripped = 0;
    for (let i = raw.history.length - 1; i >= 0 && kept.length < historyLimit; i--) {
      const entry = raw.history[i];
      const data = isPlainObject(entry) ? checkData(entry) : { sound: false, stripped: 0 };
      stripped += data.stripped;
      if (data.sound) kept.push(entry);
      else unsound++;
    }
    if (unsound) repairs.push('history entries that are not objects');
    if (stripped) repairs.push('prototype keys in the history');
    // Trimming is how the history stays bounded, so only a save beyond it is worth a line.
    if (raw.history.length > historyLimit + unsound) notes.push(`${raw.history.length} rounds of history, the newest ${historyLimit} kept`);
    state.history = kept.reverse();
  } else if (raw.history !== undefined) {
    repairs.push(`history ${describe(raw.history)}`);
  }

  if (isPlainObject(raw.game)) {
    state.game = { ...raw.game };
    moveRoundInPlay(state.game);
    for (const key of Object.keys(raw.game)) {
      let value = raw.game[key];
      if (Array.isArray(value) && value.length > LIST_MAX) {
        value = state.game[key] = newest(value, LIST_MAX);
        notes.push(`game ${key} of ${raw.game[key].length}, the newest ${LIST_MAX} kept`);
      }
      const data = MACHINERY.has(key) ? { sound: false } : checkData(value);
      if (data.stripped) repairs.push(`prototype keys in game ${key}`);
      if (!data.sound || (key === 'evening' && value !== null && !isEvening(value))) {
        delete state.game[key];
        dropped[key] = value;
        repairs.push(`game ${key} ${describe(value)}`);
      }
    }
  } else if (raw.game !== undefined) {
    repairs.push(`game ${describe(raw.game)}`);
  }

  return { state, repairs, notes, dropped, bankrollFrom };
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
  return readState(storage, key, options).state;
}

// loadState's reading, with where the chips came from: 'saved', or 'record'
// or 'start' when the saved figure was unusable.
function readState(storage, key, options) {
  const log = options.log ?? defaultLog;
  let text = null;
  try { text = storage ? storage.getItem(key) : null; } catch (e) {
    log(`could not read ${key}: ${e?.message ?? e}`);
  }
  if (text === null || text === undefined) return sanitizeState(undefined, options);

  const { raw, exact } = parseSaved(text);
  if (raw === undefined) {
    const name = setAside(storage, key, String(text));
    log(`${key} is not readable JSON; ${name ? `set aside as ${name}` : 'could not be set aside'}, starting afresh`);
    return sanitizeState(undefined, options);
  }
  const read = sanitizeState(raw, options);
  const repairs = [...read.repairs, ...read.notes];
  if (!exact) repairs.unshift('NaN or Infinity read as null');
  if (repairs.length) {
    if (!isPlainObject(raw) || !exact) setAside(storage, key, String(text));
    log(`${key}: replaced by defaults: ${repairs.join('; ')}`);
  }
  return read;
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
    validate = {}, log = defaultLog, evening = eveningStart, takeOf = () => 0 } = {}) {
    if (typeof storeKey !== 'string' || !storeKey) throw new TypeError('TableState needs a storeKey');
    this.storage = storage ?? null;
    this.storeKey = storeKey;
    this.options = { settings, stats, historyLimit, validate, log };
    this.log = log;
    // When the evening began, and the house's expected take of a round record:
    // what the evening's tally counts.
    this.evening = evening;
    this.takeOf = takeOf;
    this.listeners = new Set();
    const read = readState(this.storage, storeKey, this.options);
    this.current = read.state;
    // A round in play was staked after the last round's record, so when the
    // chips come from there (or afresh) that round must not be paid as well.
    this.chipsUnread = read.bankrollFrom !== 'saved';
    // What the game value held that could not be kept, for a table to tell its stake.
    this.dropped = read.dropped;
    // Set while auto-play deals the round in play: its history entry is marked `auto`.
    this.auto = false;
    // Told of every settled round's record (the day's result across the casino).
    this.onSettle = null;
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
    let draft;
    let result;
    try { draft = structuredClone(this.current); result = fn(draft); } catch (e) {
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
   * Settles the round in play in one write, from its `record` (see
   * history.js): the record's return comes back to the chips, less `unpaid`
   * (a stake taken only now, such as a call); the counters, the table's own
   * `stats` and the stakes by kind grow; `entry` (the record, with whatever
   * else the table's pages read) joins the history and the evening; the round
   * in play is cleared and `game` is kept with it.
   */
  settle({ record, entry = record, stats = {}, unpaid = 0, game = {} }) {
    const since = this.evening();
    const take = this.takeOf(record);
    const auto = this.auto;
    const done = this.change((s) => {
      s.bankroll += record.returned - unpaid;
      s.stats.rounds += 1;
      s.stats.wagered += record.staked;
      s.stats.won += Math.max(0, record.net);
      if ('biggestWin' in s.stats) s.stats.biggestWin = Math.max(s.stats.biggestWin, record.net);
      for (const [k, by] of Object.entries({ ...stats, ...stakeCounters(record.bets) })) s.stats[k] = (s.stats[k] ?? 0) + by;
      s.history.push(auto ? { ...entry, auto: true } : entry);
      s.game.evening = addToEvening(s.game.evening, since, record, take);
      s.game.round = null;
      Object.assign(s.game, game);
    });
    if (done) {
      this.auto = false;
      this.onSettle?.(record);
    }
    return done;
  }

  /**
   * Starts the table again with the starting bankroll, no history and fresh
   * statistics, as the shell's reset does, but keeps the player's settings and
   * the table's own game value (a shoe in play, the last bets to repeat). The
   * evening's tally starts over with the statistics, as the shell's reset has
   * it, so the lobby never counts more rounds this evening than in all.
   */
  startAgain() {
    const fresh = defaultState(this.options);
    return this.change((s) => {
      s.bankroll = fresh.bankroll;
      s.stats = fresh.stats;
      s.history = [];
      delete s.game.evening;
    });
  }

  /**
   * Checks the round in play (`what` names it in the log): one that was not
   * kept, could not be used (`isSound`) or was staked before chips that were
   * not read is set aside, with `stakeOf(round)` returned.
   */
  checkRound(what, isSound, stakeOf, key = 'round') {
    const kept = this.current.game[key];
    const round = kept ?? this.dropped[key];
    if (round === undefined || round === null) return;
    if (kept !== undefined && !this.chipsUnread && isSound(kept)) return;
    this.setAside(key, what, stakeOf(round));
  }

  /**
   * Sets aside a round in play the table cannot use, under
   * `unreadable<Key>` (when it is small enough to keep), in one write with
   * `stake` cents returned, or nothing when the chips were not read from the
   * save (the figure they came from was taken before that round was staked).
   */
  setAside(key, what, stake = 0) {
    const refund = this.chipsUnread ? 0 : stake;
    const copy = this.current.game[key] ?? this.dropped[key];
    const text = copy !== undefined && checkData(copy).sound ? JSON.stringify(copy) : '';
    this.log(`${this.storeKey}: the saved ${what} could not be used and was set aside; ` +
      (refund ? `its stake of ${refund} cents was returned` : 'the chips were kept as saved'));
    const aside = `unreadable${key[0].toUpperCase()}${key.slice(1)}`;
    if (this.change((s) => {
      s.bankroll += refund;
      s.game[key] = null;
      if (text && text.length <= SET_ASIDE_MAX) s.game[aside] = copy;
      else delete s.game[aside];
    })) return;
    // Never expected; the round must still not stop play.
    this.current.game[key] = null;
  }

  subscribe(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }
}
