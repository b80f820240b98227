// SPDX-License-Identifier: GPL-3.0-or-later
// The blackjack table's game flow without its pictures: the bet, the round in
// play, the bankroll and the statistics, all kept in the table's one saved
// value so that a reload in the middle of a hand carries on where it stopped.
// The page draws what this holds; node tests drive it with a fake storage and
// a seeded random source.
import {
  deal, answerInsurance, insuranceCost, options, isAllowed, act, actionCost, dealerStep,
  basicStrategy, totalStaked, evenMoneyOffered, takeEvenMoney, DECKS, MAX_HANDS, MAX_SEATS, seatsOf, seatOf,
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
import { recordOf, spotOf } from './record.js';
import { CHART_STATS, judgeMove, sessionScore, addDecision, overallScore } from '../rules/chart-score.js';

export const STORE_KEY = 'blackjack-royale.v1';
export const TABLE_MIN = 1;
export const TABLE_MAX = 500;
export const SPOT = 'bet';
// Each side bet takes 1 to SIDE_MAX chips beside a main bet.
export const SIDE_MAX = 100;
export { SIDE_BETS, MAX_SEATS };
export { spotOf };
const SPOTS = Array.from({ length: MAX_SEATS }, (_, seat) => [SPOT, ...SIDE_BETS].map((kind) => ({ kind, seat, spot: spotOf(kind, seat) }))).flat();
const spotAt = (spot) => SPOTS.find((s) => s.spot === spot);
const SIDE_PAYS = { twentyOnePlusThree: TWENTY_ONE_PLUS_THREE_PAYS, perfectPairs: PERFECT_PAIRS_PAYS };

const refuse = (reason) => ({ ok: false, reason });
const ok = { ok: true, reason: '' };

export class BlackjackGame {
  constructor({ storage = globalThis.localStorage, random = defaultRandom(), shoe = null, log, evening = eveningStart } = {}) {
    this.evening = evening;
    this.state = new TableState({
      storage, storeKey: STORE_KEY, log, evening, takeOf: (r) => expectedTake([r]),
      settings: { hints: false, surrender: false, seats: 1 },
      validate: { seats: (n) => Number.isSafeInteger(n) && n >= 1 && n <= MAX_SEATS },
      stats: { handsWon: 0, handsLost: 0, handsPushed: 0, blackjacks: 0, ...CHART_STATS },
    });
    // The shoe carries on from its save, so a reload or a lobby visit does not reshuffle it.
    const saved = this.state.game.shoe;
    this.shoe = shoe ?? Shoe.fromJSON(saved, { decks: DECKS, penetration: 0.75, random });
    if (!shoe && saved !== undefined && saved !== null && !this.shoe.restored) {
      this.state.log(`${STORE_KEY}: the saved shoe could not be read and a fresh one was shuffled`);
      this.state.change((s) => { s.game.shoe = this.shoe.toJSON(); });
    }
    // The limits hold for each seat's spots alike.
    this.slip = new BetSlip({ bankroll: () => this.state.bankroll, min: TABLE_MIN, max: MAX_SEATS * (TABLE_MAX + SIDE_BETS.length * SIDE_MAX), chip: 5,
      spots: Object.fromEntries(SPOTS.map(({ kind, spot }) => [spot, { max: kind === SPOT ? TABLE_MAX : SIDE_MAX }])),
      spotName: (spot) => this.spotName(spot) });
    this.slip.last = lastBets(this.state.history.at(-1));
    this.state.checkRound('hand', isRound, knownStake);
    this.keepStake();
    this.settle();
  }

  get round() { return isRound(this.state.game.round) ? this.state.game.round : null; }
  get bankroll() { return this.state.bankroll; }
  get phase() { return this.round ? this.round.phase : 'betting'; }

  /** How many seats the player plays, 1 to MAX_SEATS. */
  get seats() { return this.state.settings.seats; }

  /** A spot as a refusal names it: with seats, the seat's number comes first. */
  spotName(spot) {
    const at = spotAt(spot);
    if (!at) return String(spot);
    const name = t(at.kind === SPOT ? 'blackjack.hand' : `blackjack.side.${at.kind}`);
    return this.seats > 1 ? t('blackjack.seatSpot', { seat: at.seat + 1, spot: name }) : name;
  }

  /**
   * Opens or closes seats between rounds. A closed seat's chips come off the
   * slip, and undo forgets them, so it cannot bring chips back to a closed seat.
   */
  setSeats(n) {
    if (this.round) return refuse(t('blackjack.chipsBetweenHands'));
    if (!Number.isSafeInteger(n) || n < 1 || n > MAX_SEATS) return refuse(t('blackjack.seatsRange', { seats: MAX_SEATS }));
    if (!this.state.setSetting('seats', n)) return refuse(t('blackjack.seatsRange', { seats: MAX_SEATS }));
    this.slip.bets = new Map([...this.slip.bets].filter(([spot]) => spotAt(spot).seat < n));
    this.slip.undoStack = [];
    return ok;
  }

  /**
   * Whether the slip may be dealt: every open seat holds a main bet, a side
   * bet only beside one, and no bet lies on a closed seat (a repeat of a
   * round with more seats).
   */
  readiness() {
    const ready = this.slip.readiness();
    if (!ready.ok) return ready;
    const closed = this.slip.entries().find(([spot]) => spotAt(spot).seat >= this.seats);
    if (closed) return refuse(t('blackjack.seatClosed', { seat: spotAt(closed[0]).seat + 1 }));
    if (this.seats === 1) return this.slip.amountOn(SPOT) ? ok : refuse(t('blackjack.sideNeedsBet'));
    for (let seat = 0; seat < this.seats; seat++) {
      if (!this.slip.amountOn(spotOf(SPOT, seat))) return refuse(t('blackjack.seatNoBet', { seat: seat + 1 }));
    }
    return ok;
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
    const seatBets = Array.from({ length: this.seats }, (_, seat) => bets[spotOf(SPOT, seat)] * CENTS_PER_CHIP);
    const bet = seatBets.reduce((a, b) => a + b, 0);
    const round = deal(this.shoe, seatBets.length > 1 ? seatBets : seatBets[0], { surrender: this.state.settings.surrender });
    seatsOf(round).forEach((seat, i) => {
      const first = { player: round.hands[i].cards.slice(0, 2), dealerUp: round.dealer[0] };
      const sides = SIDE_BETS.filter((kind) => bets[spotOf(kind, i)]).map((kind) => {
        const stake = bets[spotOf(kind, i)] * CENTS_PER_CHIP;
        return { kind, stake, ...settleSideBet(kind, stake, first) };
      });
      if (sides.length) seat.sides = sides;
    });
    const paid = sideReturn(round) - sideStake(round);
    this.state.change((s) => { s.bankroll += paid - bet; s.game.round = withStake(round); this.keepShoe(s); });
    return { ...this.settle(), sides: sidesOf(round) };
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
    const own = round.hands.filter((h) => seatOf(h) === seatOf(hand)).length;
    if (move === 'surrender') {
      if (round.surrender !== true) return t(this.state.settings.surrender ? 'blackjack.surrenderNextHand' : 'blackjack.surrenderOff');
      return t('blackjack.surrenderFirstTwo');
    }
    if (move === 'double') return t('blackjack.doubleTwoCards');
    if (move === 'split') {
      if (hand.cards.length !== 2) return t('blackjack.splitTwoCards');
      if (own >= MAX_HANDS) return t('blackjack.splitFourHands', { hands: MAX_HANDS });
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
    const seats = seatsOf(round);
    // The first seat's bet stays where the page's readers have always found it; `seats` lists every seat's.
    const entry = { bet: seats[0].bet, net: round.net, insurance: round.insurance,
      dealer: round.dealer, hands: round.hands.map((h) => h.cards), outcomes: round.outcomes.map((o) => o.outcome),
      ...(round.seats ? { seats: seats.map((s) => s.bet) } : {}), ...record };
    const stats = { handsWon: count.win + count.blackjack, handsLost: count.lose + count.bust + count.surrender, handsPushed: count.push,
      blackjacks: count.blackjack };
    // The side bets' returns came to the chips at the deal; the record still counts them.
    this.state.settle({ record, entry, stats, unpaid: sideReturn(round), game: { last: round } });
    // Repeat offers these bets next, even when the hand was dealt before a reload.
    this.slip.last = new Map(seats.flatMap((seat, i) => [[spotOf(SPOT, i), seat.bet / CENTS_PER_CHIP],
      ...(seat.sides ?? []).map((b) => [spotOf(b.kind, i), b.stake / CENTS_PER_CHIP])]));
    return { ok: true, reason: '', settled: round };
  }

  /** The last finished round, for the page to keep showing after settlement. */
  get lastRound() { const last = this.state.game.last; return isRound(last) && last.phase === 'done' ? last : null; }
}

// The side bets are settled at the deal, so they are no longer at stake.
const sidesOf = (round) => seatsOf(round).flatMap((seat) => seat.sides ?? []);
const sideStake = (round) => sidesOf(round).reduce((sum, b) => sum + b.stake, 0);
const sideReturn = (round) => sidesOf(round).reduce((sum, b) => sum + b.back, 0);

// What repeat offers on a fresh page: the bets of the newest round, each
// only when it is a stake its spot takes. An older record (one seat) names
// its main bet in `bet` and its side bets by kind alone.
function lastBets(last) {
  if (!isPlainObject(last) || !isStake(last.bet, TABLE_MAX * CENTS_PER_CHIP)) return null;
  const bets = new Map([[SPOT, last.bet / CENTS_PER_CHIP]]);
  for (const b of Array.isArray(last.bets) ? last.bets : []) {
    const at = spotAt(b?.spot ?? b?.kind);
    const main = b?.kind === 'main' || b?.kind === 'mainSurrender';
    if (!at || (at.kind === SPOT ? !main : at.kind !== b.kind)) continue;
    if (isStake(b.staked, (main ? TABLE_MAX : SIDE_MAX) * CENTS_PER_CHIP)) bets.set(at.spot, b.staked / CENTS_PER_CHIP);
  }
  return bets;
}

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
  if (!isPlainObject(r) || !isOneOf(r.phase, PHASES)) return false;
  if (r.seats !== undefined) return isSeated(r);
  if (!isStake(r.bet, TABLE_MAX * CENTS_PER_CHIP)) return false;
  if (r.insurance !== 0 && r.insurance !== insuranceCost(r)) return false;
  if (r.asking !== undefined || !Array.isArray(r.hands) || r.hands.length < 1 || r.hands.length > MAX_HANDS) return false;
  if (r.hands.some((h) => isPlainObject(h) && h.seat !== undefined)) return false;
  if (!Number.isSafeInteger(r.active) || r.active < 0 || r.active >= r.hands.length) return false;
  if (!Number.isSafeInteger(r.net) || (r.evenMoney !== undefined && typeof r.evenMoney !== 'boolean')) return false;
  if (r.surrender !== undefined && r.surrender !== true) return false;
  if (r.sides !== undefined && !isSides(r.sides)) return false;
  return handsSound(r, () => r);
}

// The cards, the hands and their stakes, each hand's against its seat's bet.
function handsSound(r, seatFor) {
  const counts = new Map();
  const cards = (list, min) => isCardList(list, { min, max: HAND_CARDS_MAX, decks: DECKS, counts });
  if (!cards(r.dealer, 2)) return false;
  const sound = r.hands.every((h) => isPlainObject(h) && cards(h.cards, 1) &&
    typeof h.doubled === 'boolean' && typeof h.split === 'boolean' && typeof h.done === 'boolean' &&
    (h.surrendered === undefined || (h.surrendered === true && r.surrender === true && !h.doubled)) &&
    h.bet === (h.doubled ? 2 * seatFor(h).bet : seatFor(h).bet));
  if (!sound) return false;
  if (r.phase !== 'done') return r.outcomes === null;
  return Array.isArray(r.outcomes) && r.outcomes.length === r.hands.length &&
    r.outcomes.every((o) => isPlainObject(o) && isOneOf(o.outcome, OUTCOMES) && Number.isSafeInteger(o.net));
}

// A round of several seats: each seat sound on its own, its hands together
// and in seat order, none of the one-seat round's own fields, and the
// insurance the sum of the seats'.
const SEAT_KEYS = new Set(['bet', 'insurance', 'sides', 'evenMoney']);
function isSeated(r) {
  const seats = r.seats;
  if (!Array.isArray(seats) || seats.length < 2 || seats.length > MAX_SEATS) return false;
  if (r.bet !== undefined || r.sides !== undefined || r.evenMoney !== undefined) return false;
  const seatSound = (s) => isPlainObject(s) && Object.keys(s).every((k) => SEAT_KEYS.has(k)) &&
    isStake(s.bet, TABLE_MAX * CENTS_PER_CHIP) && (s.insurance === 0 || s.insurance === Math.floor(s.bet / 2)) &&
    (s.sides === undefined || isSides(s.sides)) && (s.evenMoney === undefined || s.evenMoney === true);
  if (!seats.every(seatSound) || r.insurance !== seats.reduce((sum, s) => sum + s.insurance, 0)) return false;
  if (r.phase === 'insurance' ? !(Number.isSafeInteger(r.asking) && r.asking >= 0 && r.asking < seats.length) : r.asking !== undefined) return false;
  if (!Array.isArray(r.hands) || r.hands.length < seats.length || r.hands.length > seats.length * MAX_HANDS) return false;
  if (!Number.isSafeInteger(r.active) || r.active < 0 || r.active >= r.hands.length || !Number.isSafeInteger(r.net)) return false;
  if (r.surrender !== undefined && r.surrender !== true) return false;
  const order = r.hands.map((h) => (isPlainObject(h) ? h.seat : undefined));
  // Every seat has from one to four hands, in seat order.
  if (!order.every((seat, i) => Number.isSafeInteger(seat) && seat >= 0 && seat < seats.length && (i === 0 ? seat === 0 : seat - order[i - 1] <= 1 && seat >= order[i - 1]))) return false;
  if (order.at(-1) !== seats.length - 1 || seats.some((_, i) => order.filter((s) => s === i).length > MAX_HANDS)) return false;
  if (r.hands.some((h) => h.surrendered !== undefined && order.filter((s) => s === h.seat).length !== 1)) return false;
  return handsSound(r, (h) => seats[h.seat]);
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
  if (!isPlainObject(r) || !Array.isArray(r.hands) || r.hands.length > MAX_SEATS * MAX_HANDS) return 0;
  const bets = r.hands.map((h) => (isPlainObject(h) && isStake(h.bet, 2 * TABLE_MAX * CENTS_PER_CHIP) ? h.bet : 0));
  const insurance = isCount(r.insurance, (MAX_SEATS * TABLE_MAX * CENTS_PER_CHIP) / 2) ? r.insurance : 0;
  return bets.reduce((a, b) => a + b, insurance);
}
