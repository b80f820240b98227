// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own choices, the same at every table: the chip last chosen,
// how loud the casino is (or whether it is heard at all) and how fast it deals. One small value in localStorage beside the
// tables' (the shell keeps it with the saves); resetting a table leaves it be.
// Pure: node tests use it with a fake storage.
import { CHIP_VALUES } from './bets.js';

export const PLAYER_KEY = 'velmar-casino.player';
export const SPEEDS = ['normal', 'fast', 'instant'];

const CHECKS = {
  chip: (v) => CHIP_VALUES.includes(v),
  muted: (v) => typeof v === 'boolean',
  volume: (v) => Number.isFinite(v) && v >= 0 && v <= 1,
  speed: (v) => SPEEDS.includes(v),
};

/**
 * `fallback`: the table's own settings from before the choice was the
 * player's, used until the player first chooses, so a table that was muted
 * stays quiet. Has the `settings` and `setSetting` a TableState has, so
 * createSound() takes either.
 */
export class PlayerSettings {
  constructor(storage, fallback = {}) {
    this.storage = storage ?? null;
    this.values = { chip: 5, muted: false, volume: 0.8, speed: 'normal' };
    for (const [key, check] of Object.entries(CHECKS)) if (check(fallback[key])) this.values[key] = fallback[key];
    let saved = null;
    try { saved = JSON.parse(this.storage?.getItem(PLAYER_KEY) ?? 'null'); } catch { saved = null; }
    if (saved && typeof saved === 'object') {
      for (const [key, check] of Object.entries(CHECKS)) if (check(saved[key])) this.values[key] = saved[key];
    }
  }

  get settings() { return { ...this.values }; }

  /** Keeps a choice (written at once); an unknown key or a wrong value is refused: false. */
  setSetting(key, value) {
    if (!Object.hasOwn(CHECKS, key) || !CHECKS[key](value)) return false;
    this.values[key] = value;
    try { this.storage?.setItem(PLAYER_KEY, JSON.stringify(this.values)); } catch (e) {
      console.warn(`Velmar Casino: could not save ${PLAYER_KEY}: ${e?.message ?? e}`);
    }
    return true;
  }
}
