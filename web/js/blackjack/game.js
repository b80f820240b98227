// SPDX-License-Identifier: GPL-3.0-or-later
// The blackjack table's game flow without its pictures: the bet, the round in
// play, the bankroll and the statistics, all kept in the table's one saved
// value so that a reload in the middle of a hand carries on where it stopped.
// The page draws what this holds; node tests drive it with a fake storage and
// a seeded random source.
import {
  deal, answerInsurance, insuranceCost, options, isAllowed, act, actionCost, dealerStep,
  basicStrategy, totalStaked, evenMoneyOffered, takeEvenMoney, DECKS, MAX_HANDS,
} from '../rules/blackjack.js';
import { SIDE_BETS, settleSideBet, TWENTY_ONE_PLUS_THREE_PAYS, PERFECT_PAIRS_PAYS } from '../rules/side-bets.js';
import { TableState } from '../kit/state.js';
import { isPlainObject, isCount, isStake, isOneOf, isCardList } from '../kit/check.js';
import { BetSlip } from '../kit/bets.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { t } from '../kit/messages.js';
import { Shoe, defaultRandom } from '../kit/random.js';
import { eveningStart } from '../kit/history.js';
import { expectedTake } from '../rules/edges.js';
import { recordOf } from './record.js';
import { CHART_STATS, judgeMove, sessionScore, addDecision, overallScore } from '../rules/chart-score.js';

export const STORE_KEY = 'blackjack-royale.v1';
export const TABLE_MIN = 1;
export const TABLE_MAX = 500;
export const SPOT = 'bet';
// Each side bet takes 1 to SIDE_MAX chips beside a main bet.
export const SIDE_MAX = 100;
export { SIDE_BETS };
const SIDE_PAYS = { twentyOnePlusThree: TWENTY_ONE_PLUS_THREE_PAYS, perfectPairs: PERFECT_PAIRS_PAYS };

const refuse = (reason) => ({ ok: false, reason });
const ok = { ok: true, reason: '' };

export class BlackjackGame {
  constructor({ storage = globalThis.localStorage, random = defaultRandom(), shoe = null, log, evening = eveningStart } = {}) {
    this.evening = evening;
    this.state = new TableState({
      storage, storeKey: STORE_KEY, log, evening, takeOf: (r) => expectedTake([r]),
      settings: { hints: false, surrender: false },
      stats: { handsWon: 0, handsLost: 0, handsPushed: 0, blackjacks: 0, ...CHART_STATS },
    });
    // The shoe carries on from its save, so a reload or a lobby visit does not reshuffle it.
    const saved = this.state.game.shoe;
    this.shoe = shoe ?? Shoe.fromJSON(saved, { decks: DECKS, penetration: 0.75, random });
    if (!shoe && saved !== undefined && saved !== null && !this.shoe.restored) {
      this.state.log(`${STORE_KEY}: the saved shoe could not be read and a fresh one was shuffled`);
      this.state.change((s) => { s.game.shoe = this.shoe.toJSON(); });
    }
    this.slip = new BetSlip({ bankroll: () => this.state.bankroll, min: TABLE_MIN, max: TABLE_MAX + SIDE_BETS.length * SIDE_MAX, chip: 5,
      spots: { [SPOT]: { max: TABLE_MAX }, ...Object.fromEntries(SIDE_BETS.map((k) => [k, { max: SIDE_MAX }])) },
      spotName: (spot) => t(spot === SPOT ? 'blackjack.hand' : `blackjack.side.${spot}`) });
    const last = this.state.history.at(-1);
    if (last && isStake(last.bet, TABLE_MAX * CENTS_PER_CHIP)) {
      this.slip.last = new Map([[SPOT, last.bet / CENTS_PER_CHIP]]);
      for (const b of Array.isArray(last.bets) ? last.bets : []) {
        if (SIDE_BETS.includes(b?.kind) && isStake(b.staked, SIDE_MAX * CENTS_PER_CHIP)) this.slip.last.set(b.kind, b.staked / CENTS_PER_CHIP);
      }
    }
    this.state.checkRound('hand', isRound, knownStake);
    this.keepStake();
    this.settle();
  }

  get round() { return isRound(this.state.game.round) ? this.state.game.round : null; }
  get bankroll() { return this.state.bankroll; }
  get phase() { return this.round ? this.round.phase : 'betting'; }

  /** Whether the slip may be dealt: a side bet goes only beside a main bet. */
  readiness() {
    const ready = this.slip.readiness();
    if (ready.ok && !this.slip.amountOn(SPOT)) return refuse(t('blackjack.sideNeedsBet'));
    return ready;
  }

  /**
   * Starts a hand with the slip's bets; the stakes leave the bankroll with it.
   * The side bets are settled on the first cards at once and paid in the same
   * write, so the round carries them only as what they did.
   */
  deal() {
    if (this.round) return refuse(t('refuse.handInPlay'));
    const ready = this.readiness();
    if (!ready.ok) return ready;
    if (this.shoe.needsShuffle) this.shoe.shuffle();
    const bets = this.slip.commit();
    const bet = bets[SPOT] * CENTS_PER_CHIP;
    const round = deal(this.shoe, bet, { surrender: this.state.settings.surrender });
    const first = { player: round.hands[0].cards.slice(0, 2), dealerUp: round.dealer[0] };
    const sides = SIDE_BETS.filter((kind) => bets[kind]).map((kind) => {
      const stake = bets[kind] * CENTS_PER_CHIP;
      return { kind, stake, ...settleSideBet(kind, stake, first) };
    });
    if (sides.length) round.sides = sides;
    const paid = sideReturn(round) - sideStake(round);
    this.state.change((s) => { s.bankroll += paid - bet; s.game.round = withStake(round); this.keepShoe(s); });
    return { ...this.settle(), sides: round.sides ?? [] };
  }

  /** The late-surrender option, for the hands dealt after it is set. */
  setSurrender(on) { return this.state.setSetting('surrender', !!on); }

  /** The moves open now, each with whether the bankroll covers it. */
  moves() {
    const round = this.round;
    if (!round || round.phase !== 'player') return { hit: false, stand: false, double: false, split: false, surrender: false };
    const o = options(round);
    const cost = actionCost(round, 'double');
    return { ...o, double: o.double && cost <= this.bankroll, split: o.split && cost <= this.bankroll };
  }

  /**
   * Why a move ('hit', 'stand', 'double', 'split', 'surrender', 'insure') cannot be made
   * now, or '' when it can; the page shows it on the move's button.
   */
  whyNot(move) {
    const round = this.round;
    if (move === 'insure') {
      if (!round || round.phase !== 'insurance') return t('blackjack.noInsurance');
      const cost = insuranceCost(round);
      return cost > this.bankroll ? t('blackjack.insuranceCosts', { needed: cost, held: this.bankroll }) : '';
    }
    if (!round || round.phase !== 'player') return round ? t('blackjack.dealerPlays') : t('blackjack.noHand');
    if (isAllowed(round, move)) {
      const cost = actionCost(round, move);
      return cost > this.bankroll ? t('blackjack.cannotCover', { move: t(`blackjack.move.${move}`), needed: cost, held: this.bankroll }) : '';
    }
    const hand = round.hands[round.active];
    if (move === 'surrender') {
      if (round.surrender !== true) return t(this.state.settings.surrender ? 'blackjack.surrenderNextHand' : 'blackjack.surrenderOff');
      return t('blackjack.surrenderFirstTwo');
    }
    if (move === 'double') return t('blackjack.doubleTwoCards');
    if (move === 'split') {
      if (hand.cards.length !== 2) return t('blackjack.splitTwoCards');
      if (round.hands.length >= MAX_HANDS) return t('blackjack.splitFourHands', { hands: MAX_HANDS });
      if (hand.split && hand.cards[0][0] === 'A') return t('blackjack.splitAces');
      return t('blackjack.splitPair');
    }
    return t('blackjack.noHand');
  }

  insure(take) {
    const round = this.round;
    const why = take ? this.whyNot('insure') : !round || round.phase !== 'insurance' ? t('blackjack.noInsurance') : '';
    if (why) return refuse(why);
    const cost = take ? insuranceCost(round) : 0;
    this.state.change((s) => { s.bankroll -= cost; withStake(answerInsurance(s.game.round, take)); });
    return this.settle();
  }

  /** Whether even money is offered now: the player's blackjack against a dealer ace. */
  get evenMoneyOffered() { return !!this.round && evenMoneyOffered(this.round); }

  /** Takes even money: the blackjack is paid 1:1 at once and the round ends. */
  evenMoney() {
    if (!this.evenMoneyOffered) return refuse(t('blackjack.noEvenMoney'));
    this.state.change((s) => { takeEvenMoney(s.game.round); });
    return this.settle();
  }

  play(move) {
    const why = this.whyNot(move);
    if (why) return refuse(why);
    const cost = actionCost(this.round, move);
    // Every decision is scored against the chart, whether or not the hint is shown.
    const judged = judgeMove(this.round, move);
    const session = this.evening();
    this.state.change((s) => {
      s.bankroll -= cost;
      for (const [k, by] of Object.entries(judged.stats)) s.stats[k] = (s.stats[k] ?? 0) + by;
      s.game.chart = addDecision(sessionScore(s.game.chart, session), judged);
      withStake(act(s.game.round, move, this.shoe));
      this.keepShoe(s);
    });
    return this.settle();
  }

  // Saved with every draw, in the same write as the round the cards went to.
  keepShoe(s) {
    if (typeof this.shoe.toJSON === 'function') s.game.shoe = this.shoe.toJSON();
  }

  /** Whether the dealer still draws; the page calls dealerDraw() between its pictures. */
  get dealerDrawing() { return this.phase === 'dealer'; }

  dealerDraw() {
    if (this.phase !== 'dealer') return refuse(t('blackjack.notDrawing'));
    this.state.change((s) => { dealerStep(s.game.round, this.shoe); this.keepShoe(s); });
    return this.settle();
  }

  /** The basic-strategy move for the hand in play, or null. */
  hint() {
    const round = this.round;
    if (!round || round.phase !== 'player') return null;
    const m = this.moves();
    return basicStrategy(round.hands[round.active].cards, round.dealer[0], { canDouble: m.double, canSplit: m.split, canSurrender: m.surrender });
  }

  /** How often the player's decisions matched the chart: { session, overall }, each { decisions, matched }. */
  get chartScore() {
    return { session: sessionScore(this.state.game.chart, this.evening()), overall: overallScore(this.state.stats) };
  }

  setHints(on) { return this.state.setSetting('hints', !!on); }

  // A round saved before it carried its stake is given it, for the lobby.
  keepStake() {
    const round = this.round;
    if (round && round.staked !== totalStaked(round)) this.state.change((s) => { withStake(s.game.round); });
  }

  // A finished round is paid, counted and cleared in one write, so a reload
  // can never pay it twice or lose it.
  settle() {
    const round = this.round;
    if (!round || round.phase !== 'done') return ok;
    const count = { win: 0, blackjack: 0, lose: 0, bust: 0, push: 0, surrender: 0 };
    for (const o of round.outcomes) count[o.outcome]++;
    // The round record the lobby reads, with the round where the page's readers have always found it.
    const record = recordOf(round, this.state.bankroll + totalStaked(round) + round.net);
    const entry = { bet: round.bet, net: round.net, insurance: round.insurance,
      dealer: round.dealer, hands: round.hands.map((h) => h.cards), outcomes: round.outcomes.map((o) => o.outcome), ...record };
    const stats = { handsWon: count.win + count.blackjack, handsLost: count.lose + count.bust + count.surrender, handsPushed: count.push,
      blackjacks: count.blackjack };
    // The side bets' returns came to the chips at the deal; the record still counts them.
    this.state.settle({ record, entry, stats, unpaid: sideReturn(round), game: { last: round } });
    // Repeat offers these bets next, even when the hand was dealt before a reload.
    this.slip.last = new Map([[SPOT, round.bet / CENTS_PER_CHIP], ...(round.sides ?? []).map((b) => [b.kind, b.stake / CENTS_PER_CHIP])]);
    return { ok: true, reason: '', settled: round };
  }

  /** The last finished round, for the page to keep showing after settlement. */
  get lastRound() { const last = this.state.game.last; return isRound(last) && last.phase === 'done' ? last : null; }
}

// The side bets are settled at the deal, so they are no longer at stake.
const sideStake = (round) => (round.sides ?? []).reduce((sum, b) => sum + b.stake, 0);
const sideReturn = (round) => (round.sides ?? []).reduce((sum, b) => sum + b.back, 0);

// The round in play carries its whole stake, which the lobby reads.
function withStake(round) {
  round.staked = totalStaked(round);
  return round;
}

// A saved round is trusted only when its shape is the one rules/blackjack.js
// makes, every field there and of its kind, and its cards could all have come
// from the table's shoe: anything else would throw in the middle of play.
const PHASES = ['insurance', 'player', 'dealer', 'done'];
const OUTCOMES = ['win', 'blackjack', 'lose', 'bust', 'push', 'surrender'];
// More cards than any hand can hold before it reaches 21.
const HAND_CARDS_MAX = 22;

function isRound(r) {
  if (!isPlainObject(r) || !isOneOf(r.phase, PHASES) || !isStake(r.bet, TABLE_MAX * CENTS_PER_CHIP)) return false;
  if (r.insurance !== 0 && r.insurance !== insuranceCost(r)) return false;
  if (!Array.isArray(r.hands) || r.hands.length < 1 || r.hands.length > MAX_HANDS) return false;
  if (!Number.isSafeInteger(r.active) || r.active < 0 || r.active >= r.hands.length) return false;
  if (!Number.isSafeInteger(r.net) || (r.evenMoney !== undefined && typeof r.evenMoney !== 'boolean')) return false;
  if (r.surrender !== undefined && r.surrender !== true) return false;
  if (r.sides !== undefined && !isSides(r.sides)) return false;
  const counts = new Map();
  const cards = (list, min) => isCardList(list, { min, max: HAND_CARDS_MAX, decks: DECKS, counts });
  if (!cards(r.dealer, 2)) return false;
  const handsSound = r.hands.every((h) => isPlainObject(h) && cards(h.cards, 1) &&
    typeof h.doubled === 'boolean' && typeof h.split === 'boolean' && typeof h.done === 'boolean' &&
    (h.surrendered === undefined || (h.surrendered === true && r.surrender === true && !h.doubled)) &&
    h.bet === (h.doubled ? 2 * r.bet : r.bet));
  if (!handsSound) return false;
  if (r.phase !== 'done') return r.outcomes === null;
  return Array.isArray(r.outcomes) && r.outcomes.length === r.hands.length &&
    r.outcomes.every((o) => isPlainObject(o) && isOneOf(o.outcome, OUTCOMES) && Number.isSafeInteger(o.net));
}

// Each side bet once, with a return its pay table could have given.
function isSides(sides) {
  if (!Array.isArray(sides) || sides.length < 1 || sides.length > SIDE_BETS.length) return false;
  const kinds = new Set(sides.map((b) => b?.kind));
  return kinds.size === sides.length && sides.every((b) => isPlainObject(b) && SIDE_BETS.includes(b.kind) &&
    isStake(b.stake, SIDE_MAX * CENTS_PER_CHIP) &&
    (b.hand === null ? b.back === 0 : Object.hasOwn(SIDE_PAYS[b.kind], b.hand) && b.back === b.stake * (SIDE_PAYS[b.kind][b.hand] + 1)));
}

// What a round that cannot be used had at stake, as far as it can be told:
// each hand's bet and the insurance, each only when it is a stake the table allows.
function knownStake(r) {
  if (!isPlainObject(r) || !Array.isArray(r.hands) || r.hands.length > MAX_HANDS) return 0;
  const bets = r.hands.map((h) => (isPlainObject(h) && isStake(h.bet, 2 * TABLE_MAX * CENTS_PER_CHIP) ? h.bet : 0));
  const insurance = isCount(r.insurance, (TABLE_MAX * CENTS_PER_CHIP) / 2) ? r.insurance : 0;
  return bets.reduce((a, b) => a + b, insurance);
}
