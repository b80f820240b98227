// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own choices, the same at every table: the chip last chosen at
// each table, how loud the casino is (or whether it is heard at all), how fast
// it deals, how often the reality check comes and the daily loss limit, with
// the day's result that limit is held against. One small value in localStorage
// beside the tables' (the shell keeps it with the saves and seeds every page
// with it); resetting a table leaves it be.
// Pure: node tests use it with a fake storage.
import { CHIP_VALUES } from './bets.js';
import { TABLES } from './tables.js';

export const PLAYER_KEY = 'velmar-casino.player';
export const SPEEDS = ['normal', 'fast', 'instant'];
/** How often the reality check comes, in minutes; 0 is never. */
export const REALITY_MINUTES = [0, 15, 30, 60];

const isObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
const isDate = (v) => typeof v === 'string' && /^\d{4}-\d{2}-\d{2}$/.test(v);

const CHECKS = {
  // The chip of older saves, one for every table: a table without its own starts with it.
  chip: (v) => CHIP_VALUES.includes(v),
  chips: (v) => isObject(v),
  muted: (v) => typeof v === 'boolean',
  volume: (v) => Number.isFinite(v) && v >= 0 && v <= 1,
  speed: (v) => SPEEDS.includes(v),
  reality: (v) => REALITY_MINUTES.includes(v),
  // Whole chips, in cents; 0 is no limit.
  dayLimit: (v) => Number.isSafeInteger(v) && v >= 0 && v % 100 === 0,
  // When the reality check was last shown.
  realityShown: (v) => Number.isSafeInteger(v) && v >= 0,
  // The day's result across the casino, in cents, on the player's calendar.
  day: (v) => isObject(v) && isDate(v.date) && Number.isSafeInteger(v.net),
  // The sitting's (the evening's) result across the casino: a table's page holds no other table's save.
  sitting: (v) => isObject(v) && Number.isSafeInteger(v.since) && Number.isSafeInteger(v.net),
};

// Each table's own chip, keeping only tables and chips there are.
const ownChips = (v) => Object.fromEntries(TABLES.filter((t) => CHIP_VALUES.includes(v?.[t.id])).map((t) => [t.id, v[t.id]]));

/** The player's calendar day of `now`, as 'YYYY-MM-DD'. */
export function dayOf(now) {
  const d = new Date(now);
  return `${d.getFullYear()}-${String(d.getMonth() + 1).padStart(2, '0')}-${String(d.getDate()).padStart(2, '0')}`;
}

/**
 * `fallback`: the table's own settings from before the choice was the
 * player's, used until the player first chooses, so a table that was muted
 * stays quiet. Has the `settings` and `setSetting` a TableState has, so
 * createSound() takes either.
 */
export class PlayerSettings {
  constructor(storage, fallback = {}) {
    this.storage = storage ?? null;
    this.values = { chip: 5, chips: {}, muted: false, volume: 0.8, speed: 'normal', reality: 0, dayLimit: 0 };
    for (const key of ['chip', 'muted', 'volume', 'speed']) if (CHECKS[key](fallback[key])) this.values[key] = fallback[key];
    this.read();
  }

  // What the storage holds now, over what this had: another page may have written since.
  read() {
    let saved = null;
    try { saved = JSON.parse(this.storage?.getItem(PLAYER_KEY) ?? 'null'); } catch { saved = null; }
    if (!isObject(saved)) return;
    for (const [key, check] of Object.entries(CHECKS)) if (check(saved[key])) this.values[key] = saved[key];
    this.values.chips = ownChips(this.values.chips);
  }

  get settings() { return structuredClone(this.values); }

  /** Keeps a choice (written at once); an unknown key or a wrong value is refused: false. */
  setSetting(key, value) {
    if (!Object.hasOwn(CHECKS, key) || !CHECKS[key](value)) return false;
    // Another page may have written since this one read: its values are kept.
    this.read();
    this.values[key] = key === 'chips' ? ownChips(value) : value;
    this.write();
    return true;
  }

  write() {
    try { this.storage?.setItem(PLAYER_KEY, JSON.stringify(this.values)); } catch (e) {
      console.warn(`Velmar Casino: could not save ${PLAYER_KEY}: ${e?.message ?? e}`);
    }
  }

  /** The chip last chosen at `table`, or the one chip older saves kept for all. */
  chipAt(table) { return this.values.chips[table] ?? this.values.chip; }

  setChip(table, value) {
    return CHIP_VALUES.includes(value) && this.setSetting('chips', { ...this.values.chips, [table]: value });
  }

  /** The casino's result today, in cents. */
  dayNet(now = Date.now()) {
    const day = this.values.day;
    return day && day.date === dayOf(now) ? day.net : 0;
  }

  /** The casino's result in the sitting that began at `since`, in cents. */
  sittingNet(since) {
    const sitting = this.values.sitting;
    return sitting && sitting.since === since ? sitting.net : 0;
  }

  /**
   * Adds a settled round's net to today's result and to the sitting's that
   * began at `since` (a new day or sitting starts from none).
   */
  addToDay(net, now = Date.now(), since = null) {
    if (!Number.isSafeInteger(net)) return false;
    this.read();
    if (since !== null) this.values.sitting = { since, net: this.sittingNet(since) + net };
    this.values.day = { date: dayOf(now), net: this.dayNet(now) + net };
    this.write();
    return true;
  }

  /** True when today's losses have reached the daily limit the player set. */
  dayLimitReached(now = Date.now()) {
    return this.values.dayLimit > 0 && -this.dayNet(now) >= this.values.dayLimit;
  }
}
