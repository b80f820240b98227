// SPDX-License-Identifier: GPL-3.0-or-later
// Money is kept as integers so that every payout is exact: a bankroll and every
// amount are counted in cents of a chip (100 cents make one chip), and bets are
// placed in whole chips. 3:2 on a whole chip, a 5% commission and 35:1 all come
// out as whole cents, so nothing is ever rounded.

export const CENTS_PER_CHIP = 100;
export const STARTING_CHIPS = 1000;
export const STARTING_BANKROLL = STARTING_CHIPS * CENTS_PER_CHIP;

export const isCents = (x) => Number.isSafeInteger(x) && x >= 0;
export const isWholeChips = (x) => Number.isSafeInteger(x) && x >= 0;

export function chipsToCents(chips) {
  if (!Number.isSafeInteger(chips)) throw new RangeError(`not a whole number of chips: ${chips}`);
  return chips * CENTS_PER_CHIP;
}

/** The whole chips a bankroll can stake: a part-chip remainder cannot be bet. */
export const wholeChipsIn = (cents) => Math.floor(cents / CENTS_PER_CHIP);

/**
 * `cents` times num/den, exact when the result is a whole number of cents.
 * A smaller remainder (never met with whole-chip bets and the usual odds) is
 * kept by the house: the result is rounded down.
 */
export function scale(cents, num, den = 1) {
  if (!Number.isSafeInteger(cents) || !Number.isSafeInteger(num) ||
      !Number.isSafeInteger(den) || den <= 0) {
    throw new RangeError(`scale needs integers, got ${cents} × ${num}/${den}`);
  }
  const product = BigInt(cents) * BigInt(num);
  let q = product / BigInt(den);
  if (product < 0n && q * BigInt(den) !== product) q -= 1n;
  return Number(q);
}

/** Winnings at odds num:den on a stake, stake not included (3:2 on 10 chips is 15 chips). */
export const winnings = (stakeCents, num, den = 1) => scale(stakeCents, num, den);

/** Winnings less a commission in per cent (banker at 5%: 95 cents per chip). */
export const lessCommission = (cents, percent) => scale(cents, 100 - percent, 100);

// Numbers are written the player's way; the message catalogue sets the
// language (see messages.js), English until it does.
let numberLocale = 'en';
const formatters = new Map();
export function setNumberLocale(locale) { numberLocale = locale; formatters.clear(); }

function formatter(fraction) {
  let f = formatters.get(fraction);
  if (!f) {
    f = new Intl.NumberFormat(numberLocale, { minimumFractionDigits: fraction, maximumFractionDigits: fraction,
      useGrouping: true });
    formatters.set(fraction, f);
  }
  return f;
}

/** "1,000", "12.50", "-3": chips with cents shown only when there are any. */
export function formatChips(cents) {
  if (!Number.isSafeInteger(cents)) return '—';
  const whole = cents % CENTS_PER_CHIP === 0;
  // Integer division first, so a large bankroll never passes through a fraction.
  if (whole) return formatter(0).format(cents / CENTS_PER_CHIP);
  return formatter(2).format(cents / CENTS_PER_CHIP);
}

/** "+15", "-10", "±0": a result shown after a round. */
export function formatSigned(cents) {
  if (cents === 0) return '±0';
  return (cents > 0 ? '+' : '') + formatChips(cents);
}
