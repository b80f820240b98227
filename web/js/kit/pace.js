// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the tables deal and spin: the player's one choice for the whole
// casino (kit/player.js). Every timed move of the kit goes through paced(),
// so a table need only say how long a move takes at the normal pace.

// Instant shows each result at once: the cards and chips are placed where
// they end, and nothing travels.
const FACTORS = { normal: 1, fast: 0.45, instant: 0 };
let factor = 1;

/** Sets the pace from the player's `speed` ('normal', 'fast' or 'instant'). */
export function setPace(speed) {
  factor = FACTORS[speed] ?? 1;
}

/** The length of a move of `ms` at the current pace. */
export const paced = (ms) => ms * factor;

/** Whether moves are skipped: every timed move takes no time at all. */
export const isInstant = () => factor === 0;
