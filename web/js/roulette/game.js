// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette table's game flow without its pictures: the betting slip over
// the layout's spots, the spin drawn before the wheel turns, settlement and
// the persisted state. The page draws what this holds; node tests drive it
// with a fake storage and a seeded random source.
import { BETS, WHEEL, settle, callBet, neighboursBet, hotAndCold, colorOf, isPocket, NEIGHBOURS_MAX, finaleEnPlein,
  finaleACheval } from '../rules/roulette.js';
import { addSpin, readSpins, spinStats } from '../rules/spins.js';
import { saveFavourite, removeFavourite, findFavourite, readFavourites, favouriteName, FAVOURITES_MAX, NAME_MAX,
  FAVOURITES_SCAN } from '../kit/favourites.js';
import { TableState } from '../kit/state.js';
import { isPlainObject, isCount, isStake } from '../kit/check.js';
import { SPIN_LIMIT } from '../rules/spins.js';
import { BetSlip } from '../kit/bets.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';
import { spotName, recordOf } from './record.js';
import { defaultRandom } from '../kit/random.js';
import { eveningStart } from '../kit/history.js';
import { expectedTake } from '../rules/edges.js';

export const STORE_KEY = 'roulette-royale.v1';
export const HISTORY_LIMIT = 100;

// Most chips on one spot, by kind: every inside maximum pays about the same.
export const SPOT_MAX = Object.freeze({
  straight: 100, split: 200, street: 300, trio: 300, corner: 400, firstFour: 400, sixLine: 600,
  column: 1000, dozen: 1000, red: 2000, black: 2000, odd: 2000, even: 2000, low: 2000, high: 2000,
});
export const TABLE_MIN = 1;
export const TABLE_MAX = 10000;

const ORDINAL = ['1st', '2nd', '3rd'];

// The name a layout bet goes by on the slip and in messages.
export function spotId(bet) {
  const n = bet.numbers;
  switch (bet.kind) {
    case 'straight': return String(n[0]);
    case 'split': case 'trio': case 'corner': return `${bet.kind} ${n.join('/')}`;
    case 'street': return `street ${n[0]}–${n.at(-1)}`;
    case 'sixLine': return `six line ${n[0]}–${n.at(-1)}`;
    case 'firstFour': return 'first four';
    case 'column': return `column ${n[0]}`;
    case 'dozen': return `${ORDINAL[(n[0] - 1) / 12]} dozen`;
    case 'low': return '1–18';
    case 'high': return '19–36';
    default: return bet.kind;
  }
}

export const SPOTS = new Map(BETS.map((b) => [spotId(b), b]));

export const spotOf = (kind, numbers) => {
  const bet = BETS.find((b) => b.kind === kind && b.numbers.length === numbers.length &&
    [...numbers].sort((x, y) => x - y).every((v, i) => v === b.numbers[i]));
  return bet ? spotId(bet) : null;
};

// Each bet of a slip of {spot: chips} settled on `number`, in cents; `rules`
// says whether La Partage applies.
export function settleEach(bets, number, rules = {}) {
  return Object.entries(bets).map(([spot, chips]) => {
    const bet = SPOTS.get(spot);
    if (!bet) throw new RangeError(`roulette: no spot named ${spot}`);
    const staked = chips * CENTS_PER_CHIP;
    return { spot, kind: bet.kind, numbers: bet.numbers, staked, returned: settle({ ...bet, stake: staked }, number, rules) };
  });
}

// Chips returned (in cents) by a whole slip of {spot: chips} on `number`.
export const settleSlip = (bets, number, rules = {}) => settleEach(bets, number, rules).reduce((s, b) => s + b.returned, 0);

// The rules a spin was played under: La Partage only where the round says so,
// as a round saved before the option had none.
const rulesOf = (round) => ({ laPartage: round.laPartage === true });

const isSpot = (spot) => SPOTS.has(spot);
// The racetrack's neighbours until the player chooses another spread: two either side.
export const NEIGHBOURS_SPREAD = 2;

const isSlip = (bets) => bets && typeof bets === 'object' && !Array.isArray(bets) &&
  Object.entries(bets).every(([spot, chips]) => SPOTS.has(spot) && Number.isSafeInteger(chips) && chips > 0);

// A spin in play is trusted only as spin() writes it: a pocket, and bets the
// layout could take whose stake is the one taken from the chips.
function isRound(p) {
  if (!isPlainObject(p) || !isPocket(p.number) || !isPlainObject(p.bets) || !isSlip(p.bets) || !isCount(p.returned)) return false;
  if (p.laPartage !== undefined && typeof p.laPartage !== 'boolean') return false;
  const chips = Object.entries(p.bets).map(([spot, n]) => (n <= SPOT_MAX[SPOTS.get(spot).kind] ? n : Infinity));
  const total = chips.reduce((a, b) => a + b, 0);
  return total > 0 && total <= TABLE_MAX && p.staked === total * CENTS_PER_CHIP;
}

// The stake of a spin that cannot be used, when it is one the table allows.
const stakeOf = (p) => (isPlainObject(p) && isStake(p.staked, TABLE_MAX * CENTS_PER_CHIP) ? p.staked : 0);

export class RouletteGame {
  constructor({ storage, random = defaultRandom(), log, evening = eveningStart } = {}) {
    this.random = random;
    this.state = new TableState({
      storage, storeKey: STORE_KEY, historyLimit: HISTORY_LIMIT, log, evening, takeOf: (r) => expectedTake([r]),
      settings: { chip: 5, spread: NEIGHBOURS_SPREAD, laPartage: false },
      stats: { biggestWin: 0 },
      validate: {
        chip: (v) => [1, 5, 25, 100, 500, 1000].includes(v),
        spread: (v) => Number.isInteger(v) && v >= 1 && v <= NEIGHBOURS_MAX,
        laPartage: (v) => typeof v === 'boolean',
      },
    });
    this.log = log ?? ((line) => console.warn(`Velmar Casino: ${line}`));
    this.slip = new BetSlip({
      bankroll: () => this.state.bankroll,
      min: TABLE_MIN, max: TABLE_MAX, chip: this.state.settings.chip,
      closed: () => (this.round ? t('roulette.noMoreBets') : ''),
      spotLimit: (spot) => ({ max: SPOT_MAX[SPOTS.get(spot)?.kind] ?? 0 }),
      spotName: (spot) => (SPOTS.has(spot) ? spotName(SPOTS.get(spot).kind, SPOTS.get(spot).numbers) : spot),
    });
    const last = this.state.game.lastBets;
    if (isSlip(last)) this.slip.last = new Map(Object.entries(last));
    this.mendSaved();
    // A spin already paid for but not yet settled (the page was closed while
    // the ball was rolling) is settled now, so the stake is never lost.
    this.recovered = this.state.game.round ? this.settle() : null;
  }

  // What the save holds beyond what the table keeps is trimmed, and a spin in
  // play it cannot settle is set aside with its stake.
  mendSaved() {
    const game = this.state.game;
    const trimmed = [];
    if (Array.isArray(game.spins) && game.spins.length > SPIN_LIMIT) {
      game.spins = readSpins(game.spins);
      trimmed.push('spins');
    }
    if (Array.isArray(game.favourites) && game.favourites.length > FAVOURITES_SCAN) {
      game.favourites = readFavourites(game.favourites, isSpot);
      trimmed.push('favourites');
    }
    if (trimmed.length) this.log(`${STORE_KEY}: more saved ${trimmed.join(' and ')} than the table keeps; the rest were dropped`);
    this.state.checkRound('spin', isRound, stakeOf);
  }

  get bankroll() { return this.state.bankroll; }
  get round() { return this.state.game.round ?? null; }
  get numbers() { return this.state.history.map((h) => h.number ?? h.shown?.number).filter(isPocket); }
  get lastNumbers() { return this.numbers.slice(-20).reverse(); }
  // The statistics board's spins; a save from before it kept them starts
  // from the numbers in its history.
  get spins() { return Array.isArray(this.state.game.spins) ? readSpins(this.state.game.spins) : this.numbers; }
  spinStats(count = 5) { return spinStats(this.spins, count); }
  hotAndCold(count = 5) { return hotAndCold(this.spins, count); }

  get spread() { return this.state.settings.spread; }
  setSpread(spread) { return this.state.setSetting('spread', spread); }

  // French rules: zero gives back half of every even chance. A spin already
  // rolling keeps the rules it was staked under.
  get laPartage() { return this.state.settings.laPartage; }
  setLaPartage(on) { return this.state.setSetting('laPartage', on === true); }

  get favourites() { return readFavourites(this.state.game.favourites, isSpot); }

  // Keeps the chips on the layout under `name`: { ok, reason }, the reason a
  // sentence saying why a save was refused.
  saveFavourite(name) {
    const verdict = saveFavourite(this.favourites, name, this.slip.toObject(), isSpot);
    if (!verdict.ok) return { ok: false, reason: t(`roulette.favouriteRefused.${verdict.reason}`, { most: FAVOURITES_MAX, length: NAME_MAX }) };
    const kept = this.state.change((s) => { s.game.favourites = verdict.list; });
    return kept ? { ok: true, name: favouriteName(name) } : { ok: false, reason: t('refuse.notTaken') };
  }

  removeFavourite(name) {
    this.state.change((s) => { s.game.favourites = removeFavourite(this.favourites, name); });
  }

  // A favourite takes the place of whatever lies on the layout, as Repeat does.
  placeFavourite(name) {
    const favourite = findFavourite(this.favourites, name);
    if (!favourite) return { ok: false, reason: t('roulette.favouriteGone') };
    return this.slip.apply(new Map(Object.entries(favourite.bets)));
  }

  place(spot, chips) {
    if (!SPOTS.has(spot)) {
      this.log(`roulette: refused a bet on an unknown spot ${JSON.stringify(spot)}`);
      return { ok: false, reason: t('roulette.noSuchSpot') };
    }
    return this.slip.place(spot, chips);
  }

  // A racetrack bet goes down as its real chips, one selected chip per piece,
  // and is undone in one step.
  placeCall(name, target) {
    let pieces;
    try {
      pieces = name === 'neighbours' ? neighboursBet(target, this.spread, this.slip.chip) : callBet(name, target, this.slip.chip);
    } catch (e) {
      this.log(e.message);
      return { ok: false, reason: t('roulette.callNeedsNumber') };
    }
    return this.placePieces(pieces);
  }

  // A finale goes down as its straights and splits, one selected chip each:
  // en plein on one digit, à cheval on two.
  placeFinale(first, second = null) {
    let pieces;
    try {
      pieces = second === null ? finaleEnPlein(first, this.slip.chip) : finaleACheval(first, second, this.slip.chip);
    } catch (e) {
      this.log(e.message);
      return { ok: false, reason: t(second === null ? 'roulette.finaleNeedsDigit' : 'roulette.finaleNeedsTwo') };
    }
    return this.placePieces(pieces);
  }

  placePieces(pieces) {
    const next = new Map(this.slip.bets);
    for (const piece of pieces) {
      const spot = spotId(piece);
      next.set(spot, (next.get(spot) ?? 0) + piece.stake);
    }
    return this.slip.apply(next);
  }

  // Draws the winning pocket before the wheel turns and records the paid-for
  // spin in one write; the page then animates the wheel to that pocket and
  // calls settle().
  spin() {
    if (this.round) return { ok: false, reason: t('roulette.alreadyRolling') };
    const staked = this.slip.totalCents;
    const bets = this.slip.commit();
    if (!bets) return this.slip.readiness();
    const number = WHEEL[this.random.randomInt(WHEEL.length)];
    const rules = { laPartage: this.laPartage };
    const returned = settleSlip(bets, number, rules);
    const ok = this.state.change((s) => {
      s.bankroll -= staked;
      s.game.round = { number, bets, staked, returned, ...(rules.laPartage ? { laPartage: true } : {}) };
      s.game.lastBets = bets;
    });
    if (!ok) {
      this.slip.bets = new Map(Object.entries(bets));
      return { ok: false, reason: t('refuse.notTaken') };
    }
    return { ok: true, number, staked, returned };
  }

  settle() {
    const p = this.round;
    if (!p) return null;
    if (!Number.isSafeInteger(p.staked) || p.staked < 0) {
      this.log(`roulette: dropped a pending spin with a stake of ${JSON.stringify(p.staked)}`);
      this.state.change((s) => { s.game.round = null; });
      return null;
    }
    let returned;
    const rules = rulesOf(p);
    try { returned = settleSlip(p.bets, p.number, rules); } catch (e) {
      // A hand-edited save with a spot we do not know: give the stake back.
      this.log(`roulette: unreadable pending spin, stake returned: ${e.message}`);
      returned = p.staked;
    }
    let each = [];
    try { each = settleEach(p.bets, p.number, rules); } catch { /* already logged above */ }
    // The round record the lobby reads (each bet by kind, the chips after it),
    // with the spin's own sums, which hold even when its bets could not be read,
    // and the number where the table's readers have always found it.
    const record = { ...recordOf({ number: p.number, bets: each, laPartage: rules.laPartage }, this.state.bankroll + returned),
      staked: p.staked, returned, net: returned - p.staked, number: p.number, ...(rules.laPartage ? { laPartage: true } : {}) };
    this.state.settle({ record, game: { spins: addSpin(this.spins, p.number) } });
    return { number: p.number, color: colorOf(p.number), staked: p.staked, returned, bets: each, ...(rules.laPartage ? { laPartage: true } : {}) };
  }
}
