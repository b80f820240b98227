// SPDX-License-Identifier: GPL-3.0-or-later
// The Casino Hold'em table's game flow without its pictures: the ante and AA
// bonus, the hand in play, the bankroll and the statistics, kept in the
// table's one saved value so that a reload in the middle of a hand carries on
// where it stopped. The page draws what this holds; node tests drive it with a
// fake storage and a seeded random source.
import { settleDetail, evaluate5 } from '../rules/poker.js';
import { handName, recordOf } from './record.js';
import { TableState } from '../kit/state.js';
import { isPlainObject, isCount, isStake, isOneOf, isBoundedString, isCardList } from '../kit/check.js';
import { BetSlip } from '../kit/bets.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';
import { defaultRandom } from '../kit/random.js';
import { freshDeck } from '../kit/cards.js';
import { eveningStart } from '../kit/history.js';
import { expectedTake } from '../rules/edges.js';
import { callOrFold } from '../rules/poker-strategy.js';

export const STORE_KEY = 'poker-royale.v1';
export const ANTE_MAX = 200;
export const BONUS_MAX = 100;
// The least a hand can cost: a one-chip ante and its call of two.
export const SMALLEST_ROUND = 3;

const refuse = (reason) => ({ ok: false, reason });

export class PokerGame {
  constructor({ storage = globalThis.localStorage, random = defaultRandom(), log, evening = eveningStart } = {}) {
    this.random = random;
    this.state = new TableState({
      storage, storeKey: STORE_KEY, log, evening, takeOf: (r) => expectedTake([r]),
      settings: { hints: false },
      stats: { handsWon: 0, handsLost: 0, handsPushed: 0, folds: 0, notQualified: 0, bonusWins: 0 },
    });
    this.slip = new BetSlip({
      bankroll: () => this.state.bankroll, min: 1, max: ANTE_MAX + BONUS_MAX, chip: 5,
      spots: { ante: { min: 1, max: ANTE_MAX }, bonus: { min: 1, max: BONUS_MAX } },
    });
    const last = this.state.history.at(-1);
    if (last && isStake(last.ante, ANTE_MAX * CENTS_PER_CHIP) && isBonus(last.aaBonus)) {
      this.slip.last = new Map([['ante', last.ante / CENTS_PER_CHIP]]);
      if (last.aaBonus) this.slip.last.set('bonus', last.aaBonus / CENTS_PER_CHIP);
    }
    this.state.checkRound('hand', isHand, knownStake);
    // A hand saved before it carried its stake is given it, for the lobby.
    const h = this.round;
    if (h && h.staked !== h.ante + h.aaBonus) this.state.change((s) => { s.game.round.staked = h.ante + h.aaBonus; });
  }

  get round() { return isHand(this.state.game.round) ? this.state.game.round : null; }
  get lastRound() { return isResult(this.state.game.last) ? this.state.game.last : null; }
  get bankroll() { return this.state.bankroll; }
  get phase() { return this.round ? 'decide' : 'betting'; }

  /**
   * Whether the slip can be dealt. Beyond the kit's checks, the ante needs the
   * call behind it: a hand must never be dealt that the player could not call.
   */
  readiness() {
    const ready = this.slip.readiness();
    if (!ready.ok) return ready;
    const ante = this.slip.amountOn('ante');
    if (!ante) return refuse(t('poker.anteFirst'));
    const needed = (3 * ante + this.slip.amountOn('bonus')) * CENTS_PER_CHIP;
    if (needed > this.bankroll) {
      return refuse(t('poker.anteNeedsCall', { stake: ante * CENTS_PER_CHIP, needed: 2 * ante * CENTS_PER_CHIP, held: this.bankroll }));
    }
    return ready;
  }

  /** Deals two cards each and the flop from a freshly shuffled deck. */
  deal() {
    if (this.round) return refuse(t('refuse.handInPlay'));
    const ready = this.readiness();
    if (!ready.ok) return ready;
    const bets = this.slip.commit();
    const ante = bets.ante * CENTS_PER_CHIP, aaBonus = (bets.bonus ?? 0) * CENTS_PER_CHIP;
    const deck = this.random.shuffle(freshDeck());
    // The whole hand is fixed now, so a reload cannot redraw the turn and river.
    const hand = {
      ante, aaBonus, staked: ante + aaBonus,
      player: deck.slice(0, 2), dealer: deck.slice(2, 4), board: deck.slice(4, 9),
    };
    this.state.change((s) => { s.bankroll -= ante + aaBonus; s.game.round = hand; });
    return { ok: true, reason: '' };
  }

  /** The player's best hand so far: the hole cards and the flop; capitalised to start a line. */
  playerSoFar(capital = true) {
    const h = this.round;
    return h ? handName(evaluate5([...h.player, ...h.board.slice(0, 3)]), capital) : '';
  }

  /** The simple strategy's advice for the hand in play, { move, reason }, or null. */
  hint() {
    const h = this.round;
    return h ? callOrFold(h.player, h.board.slice(0, 3)) : null;
  }

  setHints(on) { return this.state.setSetting('hints', !!on); }

  call() { return this.finish(false); }
  fold() { return this.finish(true); }

  // Settles, counts and clears the hand in one write, so a reload can never
  // pay it twice or lose it.
  finish(folded) {
    const h = this.round;
    if (!h) return refuse(t('poker.noHand'));
    const call = folded ? 0 : 2 * h.ante;
    if (call > this.bankroll) return refuse(t('poker.callCost', { needed: call, held: this.bankroll }));
    const detail = settleDetail({ ante: h.ante, call, aaBonus: h.aaBonus, folded },
      [...h.player, ...h.board], [...h.dealer, ...h.board]);
    const staked = h.ante + h.aaBonus + call;
    const result = { ...h, call, folded, returned: detail.returned, outcome: detail.outcome, bonus: detail.bonus,
      playerHand: handName(detail.player, true), dealerHand: handName(detail.dealer, true), qualifies: detail.qualifies };
    // The round record the lobby reads, with the hand where the page's readers have always found it.
    const record = recordOf({ ...h, call, folded }, this.state.bankroll + detail.returned - call);
    const entry = { ante: h.ante, aaBonus: h.aaBonus, call, folded, returned: detail.returned,
      net: detail.returned - staked, player: h.player, dealer: h.dealer, board: h.board, ...record };
    const won = !['fold', 'lose', 'push'].includes(detail.outcome);
    const stats = { folds: detail.outcome === 'fold' ? 1 : 0, handsLost: detail.outcome === 'lose' ? 1 : 0,
      handsPushed: detail.outcome === 'push' ? 1 : 0, handsWon: won ? 1 : 0,
      notQualified: detail.outcome === 'dealer does not qualify' ? 1 : 0, bonusWins: detail.bonus ? 1 : 0 };
    this.state.settle({ record, entry, stats, unpaid: call, game: { last: result } });
    // Repeat offers these bets next, even when the hand was dealt before a reload.
    this.slip.last = new Map([['ante', h.ante / CENTS_PER_CHIP]]);
    if (h.aaBonus) this.slip.last.set('bonus', h.aaBonus / CENTS_PER_CHIP);
    return { ok: true, reason: '', settled: result };
  }
}

const isBonus = (v) => v === 0 || isStake(v, BONUS_MAX * CENTS_PER_CHIP);

// A saved hand is trusted only when it holds nine distinct cards and stakes the table allows.
function isHand(h) {
  if (!isPlainObject(h) || !isStake(h.ante, ANTE_MAX * CENTS_PER_CHIP) || !isBonus(h.aaBonus)) return false;
  const counts = new Map();
  return [[h.player, 2], [h.dealer, 2], [h.board, 5]].every(([cards, n]) => isCardList(cards, { min: n, max: n, counts }));
}

const OUTCOMES = ['fold', 'lose', 'push', 'win', 'dealer does not qualify'];

// A settled hand as finish() keeps it for the page to go on showing.
function isResult(r) {
  return isHand(r) && isOneOf(r.outcome, OUTCOMES) && typeof r.folded === 'boolean' && typeof r.qualifies === 'boolean' &&
    isCount(r.call) && isCount(r.returned) && isCount(r.bonus) && isBoundedString(r.playerHand, 200) &&
    isBoundedString(r.dealerHand, 200);
}

// The ante and the AA bonus of a hand that cannot be used, each as far as it is a stake the table allows.
function knownStake(h) {
  if (!isPlainObject(h)) return 0;
  return (isStake(h.ante, ANTE_MAX * CENTS_PER_CHIP) ? h.ante : 0) + (isBonus(h.aaBonus) ? h.aaBonus : 0);
}
