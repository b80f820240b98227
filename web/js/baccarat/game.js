// SPDX-License-Identifier: GPL-3.0-or-later
// The baccarat table's game flow without its pictures: the slip over the five
// betting spots, an 8-deck shoe with a cut card and a burn, the coup drawn in
// full before the cards are shown, settlement and the persisted state. The
// page draws what this holds; node tests drive it with a fake storage and a
// seeded random source.
import { playCoup, settle, cardValue, dealOrder, BET_KINDS } from '../rules/baccarat.js';
import { TableState } from '../kit/state.js';
import { isPlainObject, isCount, isStake, isCardList, newest } from '../kit/check.js';
import { BetSlip } from '../kit/bets.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';
import { spotName, recordOf } from './record.js';
import { Shoe, defaultRandom } from '../kit/random.js';
import { freshDeck, isCard } from '../kit/cards.js';
import { eveningStart } from '../kit/history.js';
import { expectedTake } from '../rules/edges.js';

export const STORE_KEY = 'baccarat-royale.v1';
export const DECKS = 8;
// The cut card goes in sixteen cards from the back, as dealers place it.
export const PENETRATION = 1 - 16 / (52 * DECKS);
export const SPOT_MAX = Object.freeze({ player: 5000, banker: 5000, tie: 500, playerPair: 500, bankerPair: 500,
  dragonPlayer: 500, dragonBanker: 500, eitherPair: 500 });
export const TABLE_MIN = 1;
export const TABLE_MAX = 10000;

// Every coup takes four cards at least, which bounds the results a shoe can have.
const RESULTS_MAX = (52 * DECKS) / 4;

// The cards dealt so far from a shoe, when they could have come from one
// 8-deck shoe; null otherwise.
function validDealt(dealt) {
  if (!Array.isArray(dealt) || !dealt.every(isCard)) return null;
  const seen = new Map();
  for (const c of dealt) {
    seen.set(c, (seen.get(c) ?? 0) + 1);
    if (seen.get(c) > DECKS) return null;
  }
  return dealt;
}

const validResult = (r) => isPlainObject(r) && ['player', 'banker', 'tie'].includes(r.winner);

const COUP_FIELDS = ['player', 'banker', 'playerTotal', 'bankerTotal', 'winner', 'natural', 'playerPair', 'bankerPair'];

// A coup in play is trusted only when the tableau, dealt again from its own
// cards, gives exactly that coup, and its stake is the one its bets took.
function isRound(p) {
  if (!isPlainObject(p) || !isPlainObject(p.bets) || !isPlainObject(p.coup) || !isCount(p.returned) || !isPlainObject(p.paid)) return false;
  if (p.noCommission !== undefined && typeof p.noCommission !== 'boolean') return false;
  const chips = Object.entries(p.bets);
  if (!chips.length || !chips.every(([k, v]) => BET_KINDS.includes(k) && isCount(v, SPOT_MAX[k]) && v > 0)) return false;
  const total = chips.reduce((a, [, v]) => a + v, 0);
  if (total > TABLE_MAX || p.staked !== total * CENTS_PER_CHIP) return false;
  const { coup } = p;
  const counts = new Map();
  if (!isCardList(coup.player, { min: 2, max: 3, decks: DECKS, counts }) ||
      !isCardList(coup.banker, { min: 2, max: 3, decks: DECKS, counts })) return false;
  const cards = dealOrder(coup).map(([side, i]) => coup[side][i]);
  let again;
  try { again = playCoup(() => cards.shift()); } catch { return false; }
  return cards.length === 0 && COUP_FIELDS.every((k) => JSON.stringify(again[k]) === JSON.stringify(coup[k]));
}

// The rules a coup was dealt under: no commission only where the round says
// so, as a round saved before the option had none.
const rulesOf = (round) => ({ noCommission: round.noCommission === true });

// The stake of a coup that cannot be used, when it is one the table allows.
const stakeOf = (p) => (isPlainObject(p) && isStake(p.staked, TABLE_MAX * CENTS_PER_CHIP) ? p.staked : 0);

/** The hand whose cards the player squeezes: the one with the larger bet, none on equal bets. */
export function squeezeSide(bets) {
  const player = bets.player ?? 0, banker = bets.banker ?? 0;
  return player > banker ? 'player' : banker > player ? 'banker' : null;
}

export class BaccaratGame {
  constructor({ storage, random = defaultRandom(), log, evening = eveningStart } = {}) {
    this.random = random;
    this.log = log ?? ((line) => console.warn(`Velmar Casino: ${line}`));
    this.state = new TableState({
      storage, storeKey: STORE_KEY, log, evening, takeOf: (r) => expectedTake([r]),
      settings: { chip: 5, noCommission: false, squeeze: false },
      stats: { playerWins: 0, bankerWins: 0, ties: 0, naturals: 0, biggestWin: 0, shoes: 0 },
      validate: { chip: (v) => [1, 5, 25, 100, 500, 1000].includes(v), noCommission: (v) => typeof v === 'boolean',
        squeeze: (v) => typeof v === 'boolean' },
    });
    this.slip = new BetSlip({
      bankroll: () => this.state.bankroll,
      min: TABLE_MIN, max: TABLE_MAX, chip: this.state.settings.chip,
      closed: () => (this.round ? t('baccarat.noMoreBets') : ''),
      spotLimit: (spot) => ({ max: SPOT_MAX[spot] ?? 0 }),
      spotName,
    });
    const last = this.state.game.lastBets;
    if (isPlainObject(last) && Object.entries(last).every(([k, v]) => BET_KINDS.includes(k) && Number.isSafeInteger(v) && v > 0)) {
      this.slip.last = new Map(Object.entries(last));
    }
    this.shoe = new Shoe({ decks: DECKS, penetration: PENETRATION, random });
    this.restoreShoe();
    this.state.checkRound('coup', isRound, stakeOf);
    this.recovered = this.state.game.round ? this.settle() : null;
  }

  get bankroll() { return this.state.bankroll; }
  get round() { return this.state.game.round ?? null; }
  // The results of the current shoe, oldest first, for the scoreboards.
  get results() { return this.shoeState.results; }
  get cardsLeft() { return this.shoe.remaining; }
  get burned() { return this.shoeState.burned; }
  // The banker paid even money, half on a win with six; a coup already out
  // keeps the rules it was staked under.
  get noCommission() { return this.state.settings.noCommission; }
  setNoCommission(on) { return this.state.setSetting('noCommission', on === true); }
  // The squeeze is only how the cards are shown: the coup is drawn whole either way.
  get squeeze() { return this.state.settings.squeeze; }
  setSqueeze(on) { return this.state.setSetting('squeeze', on === true); }

  // The shoe carries on after a reload with the cards already seen taken out
  // and the rest shuffled afresh: from the player's seat that is the same shoe,
  // and no unseen card is ever written to the save.
  restoreShoe() {
    const saved = this.state.game.shoe;
    const dealt = isPlainObject(saved) ? validDealt(saved.dealt) : null;
    if (!dealt || dealt.length >= this.shoe.cutIndex) {
      if (saved !== undefined && !dealt) this.log('baccarat: the saved shoe was unreadable; a new shoe is shuffled');
      this.newShoe();
      return;
    }
    const results = Array.isArray(saved.results) ? saved.results.filter(validResult) : [];
    this.shoeState = {
      dealt,
      results: newest(results, RESULTS_MAX),
      burned: isPlainObject(saved.burned) && isCard(saved.burned.card) && isCount(saved.burned.count, 10) ? saved.burned : null,
    };
    const rest = [];
    const left = new Map();
    for (const c of dealt) left.set(c, (left.get(c) ?? 0) + 1);
    for (let d = 0; d < DECKS; d++) {
      for (const c of freshDeck()) {
        if (left.get(c)) left.set(c, left.get(c) - 1);
        else rest.push(c);
      }
    }
    this.shoe.cards = [...dealt, ...this.random.shuffle(rest)];
    this.shoe.dealt = dealt.length;
  }

  // A fresh shoe: the first card is shown and as many cards as its value
  // (ten for a ten or picture) are burned face down. It is saved with the
  // first coup dealt from it, so merely opening the table writes nothing.
  newShoe() {
    this.shoe.shuffle();
    const first = this.shoe.draw();
    const count = cardValue(first) || 10;
    for (let i = 0; i < count; i++) this.shoe.draw();
    this.shoeState = { dealt: this.shoe.cards.slice(0, this.shoe.dealt), results: [], burned: { card: first, count } };
    this.freshShoe = true;
  }

  place(spot, chips) {
    if (!BET_KINDS.includes(spot)) {
      this.log(`baccarat: refused a bet on an unknown spot ${JSON.stringify(spot)}`);
      return { ok: false, reason: t('baccarat.noSuchSpot') };
    }
    return this.slip.place(spot, chips);
  }


  // Deals the whole coup before any card is shown and records it, paid for,
  // in one write; the page then turns the cards and calls settle().
  deal() {
    if (this.round) return { ok: false, reason: t('baccarat.alreadyOut') };
    const staked = this.slip.totalCents;
    const chips = this.slip.commit();
    if (!chips) return this.slip.readiness();
    let shuffled = false;
    if (this.shoe.needsShuffle) { this.newShoe(); shuffled = true; }
    const coup = playCoup(() => this.shoe.draw());
    const bets = Object.fromEntries(Object.entries(chips).map(([k, v]) => [k, v * CENTS_PER_CHIP]));
    const rules = { noCommission: this.noCommission };
    const paid = settle(bets, coup, rules);
    const returned = Object.values(paid).reduce((a, b) => a + b, 0);
    this.shoeState.dealt = this.shoe.cards.slice(0, this.shoe.dealt);
    const fresh = this.freshShoe;
    this.freshShoe = false;
    const ok = this.state.change((s) => {
      s.bankroll -= staked;
      s.game.round = { coup, bets: chips, staked, returned, paid, ...(rules.noCommission ? { noCommission: true } : {}) };
      s.game.lastBets = chips;
      s.game.shoe = structuredClone(this.shoeState);
      if (fresh) s.stats.shoes += 1;
    });
    if (!ok) {
      this.slip.bets = new Map(Object.entries(chips));
      return { ok: false, reason: t('refuse.notTaken') };
    }
    return { ok: true, coup, staked, returned, paid, shuffled, ...(rules.noCommission ? { noCommission: true } : {}) };
  }

  settle() {
    const p = this.round;
    if (!p) return null;
    let paid;
    let returned;
    const rules = rulesOf(p);
    try {
      paid = settle(Object.fromEntries(Object.entries(p.bets).map(([k, v]) => [k, v * CENTS_PER_CHIP])), p.coup, rules);
      returned = Object.values(paid).reduce((a, b) => a + b, 0);
      if (!Number.isSafeInteger(p.staked) || p.staked < 0) throw new RangeError(`stake ${p.staked}`);
    } catch (e) {
      this.log(`baccarat: dropped an unreadable pending coup: ${e.message}`);
      this.state.change((s) => { s.game.round = null; });
      return null;
    }
    const { coup } = p;
    const result = { winner: coup.winner, natural: !!coup.natural, playerPair: !!coup.playerPair, bankerPair: !!coup.bankerPair };
    this.shoeState.results.push(result);
    // The round record the lobby reads (each bet by kind, the chips after it),
    // with the coup where the table's readers have always found it.
    const record = recordOf({ coup, bets: p.bets, paid, ...rules }, this.state.bankroll + returned);
    const entry = { ...result, player: coup.player, banker: coup.banker, playerTotal: coup.playerTotal, bankerTotal: coup.bankerTotal, ...record,
      ...(rules.noCommission ? { noCommission: true } : {}) };
    const stats = { [{ player: 'playerWins', banker: 'bankerWins', tie: 'ties' }[coup.winner]]: 1, naturals: coup.natural ? 1 : 0 };
    this.state.settle({ record, entry, stats, game: { shoe: structuredClone(this.shoeState) } });
    return { coup, bets: p.bets, staked: p.staked, returned, paid, ...(rules.noCommission ? { noCommission: true } : {}) };
  }
}
