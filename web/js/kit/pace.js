// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the tables deal and spin: the player's one choice for the whole
// casino (kit/player.js). Every timed move of the kit goes through paced(),
// so a table need only say how long a move takes at the normal pace.

const FACTORS = { normal: 1, fast: 0.45 };
let factor = 1;

/** Sets the pace from the player's `speed` ('normal' or 'fast'). */
export function setPace(speed) {
  factor = FACTORS[speed] ?? 1;
}

/** The length of a move of `ms` at the current pace. */
export const paced = (ms) => ms * factor;
