// SPDX-License-Identifier: GPL-3.0-or-later
// The betting slip every table shares: a chip rack, bets on named spots (a
// roulette number, "player", "ante"...), undo, clear, repeat and double, and
// the table limits. Bets are whole chips; the bankroll they are checked
// against is in cents (see money.js). Pure: the page draws the slip.
import { CENTS_PER_CHIP, wholeChipsIn, formatChips, STARTING_BANKROLL } from './money.js';
import { t, entry } from './messages.js';

export const CHIP_VALUES = Object.freeze([1, 5, 25, 100, 500, 1000]);

/** True when the bankroll cannot cover the table minimum (in whole chips). */
export const isBelowMinimum = (bankrollCents, minChips) =>
  wholeChipsIn(bankrollCents) < minChips;

export function belowMinimumMessage(bankrollCents, minChips) {
  return t('broke.text', { held: bankrollCents, min: minChips * CENTS_PER_CHIP, fresh: STARTING_BANKROLL,
    command: t('broke.command'), shortcut: t('broke.shortcut') });
}

/**
 * Why a rack chip cannot go down now, or '' when it can: more than the
 * player holds, or more than the most any spot of this table takes
 * (`maxOnSpot`, whole chips).
 */
export function chipUnavailable(value, bankrollCents, maxOnSpot = Infinity) {
  if (value > maxOnSpot) return t('refuse.chipOverLimit', { max: maxOnSpot * CENTS_PER_CHIP });
  const held = wholeChipsIn(bankrollCents);
  if (value > held) return held ? t('refuse.chipOverBankroll', { held: held * CENTS_PER_CHIP }) : t('refuse.noChips');
  return '';
}

/** The chips of the rack that make up `chips`, largest first: 130 → [100, 25, 5]. */
export function chipBreakdown(chips, values = CHIP_VALUES) {
  const out = [];
  let left = Math.max(0, Math.floor(chips));
  for (const v of [...values].sort((a, b) => b - a)) {
    while (left >= v) { out.push(v); left -= v; }
  }
  return out;
}

const ok = { ok: true, reason: '' };
const refuse = (reason) => ({ ok: false, reason });

/**
 * A betting slip. `limits` are in whole chips: `min` and `max` for the total
 * of a round, `spots` optionally per spot ({ straight: { min: 1, max: 100 } }),
 * and `spotLimit(spot)` for spots named at run time. `bankroll()` gives the
 * cents available now; `spotName(spot)` names a spot in a refusal; `closed()`
 * says why no bet may change now ('' while they may: a round in play, say).
 * Every refused action returns { ok: false, reason } and leaves the slip as it was.
 */
export class BetSlip {
  constructor({ bankroll, min = 1, max = 10000, spots = {}, spotLimit = null, chip = 5, spotName = defaultSpotName,
    closed = () => '' } = {}) {
    if (typeof bankroll !== 'function') throw new TypeError('BetSlip needs a bankroll() function');
    this.bankroll = bankroll;
    this.min = min;
    this.max = max;
    this.spotLimits = spots;
    this.spotLimit = spotLimit;
    this.spotName = spotName;
    this.closed = closed;
    this.chip = CHIP_VALUES.includes(chip) ? chip : CHIP_VALUES[0];
    this.bets = new Map();
    this.undoStack = [];
    this.last = null;
  }

  get total() { let t = 0; for (const v of this.bets.values()) t += v; return t; }
  get totalCents() { return this.total * CENTS_PER_CHIP; }
  get isEmpty() { return this.bets.size === 0; }
  get canUndo() { return this.undoStack.length > 0; }
  get canRepeat() { return this.last !== null && this.last.size > 0; }
  amountOn(spot) { return this.bets.get(spot) ?? 0; }
  /** [[spot, chips], ...] in the order the spots were first bet. */
  entries() { return [...this.bets.entries()]; }
  /** A plain object copy: { spot: chips }. */
  toObject() { return Object.fromEntries(this.bets); }

  selectChip(value) {
    if (!CHIP_VALUES.includes(value)) return refuse(t('refuse.noSuchChip', { chip: value }));
    this.chip = value;
    return ok;
  }

  limitsFor(spot) {
    const own = this.spotLimits[spot] ?? (this.spotLimit ? this.spotLimit(spot) : null) ?? {};
    return { min: own.min ?? 1, max: own.max ?? this.max };
  }

  /** Checks a whole proposed slip against limits and the bankroll. */
  check(bets) {
    let total = 0;
    for (const [spot, chips] of bets) {
      if (!Number.isSafeInteger(chips) || chips <= 0) return refuse(t('refuse.wholeChips'));
      const { max } = this.limitsFor(spot);
      if (chips > max) return refuse(t('refuse.spotMax', { spot: this.spotName(spot), max: max * CENTS_PER_CHIP }));
      total += chips;
    }
    if (total > this.max) return refuse(t('refuse.roundMax', { max: this.max * CENTS_PER_CHIP }));
    if (total > wholeChipsIn(this.bankroll())) {
      return refuse(t('refuse.bankroll', { held: this.bankroll(), needed: total * CENTS_PER_CHIP }));
    }
    return ok;
  }

  apply(next) {
    if (this.closed()) return refuse(this.closed());
    const verdict = this.check(next);
    if (!verdict.ok) return verdict;
    this.undoStack.push(this.bets);
    this.bets = next;
    return ok;
  }

  /** Adds `chips` (the selected chip by default) to a spot. */
  place(spot, chips = this.chip) {
    const next = new Map(this.bets);
    next.set(spot, (next.get(spot) ?? 0) + chips);
    return this.apply(next);
  }

  /** Takes a spot's bet off the slip. */
  remove(spot) {
    if (!this.bets.has(spot)) return refuse(t('refuse.noBetThere'));
    const next = new Map(this.bets);
    next.delete(spot);
    return this.apply(next);
  }

  undo() {
    if (this.closed()) return refuse(this.closed());
    if (!this.undoStack.length) return refuse(t('refuse.nothingToUndo'));
    this.bets = this.undoStack.pop();
    return ok;
  }

  clear() {
    if (this.isEmpty) return refuse(t('refuse.noBets'));
    return this.apply(new Map());
  }

  /** Puts back the bets of the last round played, in place of the current ones. */
  repeat() {
    if (!this.canRepeat) return refuse(t('refuse.nothingToRepeat'));
    return this.apply(new Map(this.last));
  }

  double() {
    if (this.isEmpty) return refuse(t('refuse.noBets'));
    return this.apply(this.doubled());
  }

  doubled() {
    const next = new Map();
    for (const [spot, chips] of this.bets) next.set(spot, chips * 2);
    return next;
  }

  /**
   * Why `action` ('undo', 'clear', 'repeat', 'double' or 'deal') would be
   * refused now, or '' when it would go through. Changes nothing: the page
   * shows it on the button before the player tries.
   */
  whyNot(action) {
    switch (action) {
      case 'undo': return this.canUndo ? '' : t('refuse.nothingToUndo');
      case 'clear': return this.isEmpty ? t('refuse.noBets') : '';
      case 'repeat': return this.canRepeat ? this.check(new Map(this.last)).reason : t('refuse.nothingToRepeat');
      case 'double': return this.isEmpty ? t('refuse.noBets') : this.check(this.doubled()).reason;
      default: return this.readiness().reason;
    }
  }

  /** Whether the slip may be played now: limits, minimums and the bankroll. */
  readiness() {
    if (isBelowMinimum(this.bankroll(), this.min)) {
      return refuse(belowMinimumMessage(this.bankroll(), this.min));
    }
    if (this.isEmpty) return refuse(t('refuse.noBet'));
    for (const [spot, chips] of this.bets) {
      const { min } = this.limitsFor(spot);
      if (chips < min) return refuse(t('refuse.spotMin', { spot: this.spotName(spot), min: min * CENTS_PER_CHIP }));
    }
    if (this.total < this.min) return refuse(t('refuse.roundMin', { min: this.min * CENTS_PER_CHIP }));
    return this.check(this.bets);
  }

  /**
   * Ends betting for the round: the slip is remembered for repeat(), emptied,
   * and its bets returned ({ spot: chips }) for the game to settle. Returns
   * null, changing nothing, when readiness() refuses.
   */
  commit() {
    if (!this.readiness().ok) return null;
    const played = this.bets;
    this.last = new Map(played);
    this.bets = new Map();
    this.undoStack = [];
    return Object.fromEntries(played);
  }
}

// A spot the catalogue names ('ante' → "the ante"), or its id made readable.
const defaultSpotName = (spot) => entry(`spot.${spot}`) ?? (typeof spot === 'string' ? spot.replace(/[-_]/g, ' ') : String(spot));
