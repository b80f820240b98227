// SPDX-License-Identifier: GPL-3.0-or-later
// Blackjack Royale: six decks, dealer stands on soft 17 and peeks under an ace
// or a ten, blackjack pays 3:2, double on any two cards and after a split,
// split to four hands, split aces take one card each and are not resplit,
// insurance pays 2:1. Late surrender is the table's option, off unless the
// player turns it on: after the peek, the first two cards of a hand that was
// not split may be given up for half the bet.
//
// Up to three seats may be played at once: each has its own bet, insurance
// and side bets, its hands are played in turn (the first seat is the
// rightmost, the first the dealer reaches) and each splits to four hands of
// its own. A round of one seat carries its stake on itself and no `seats`.
//
// A round is a plain JSON value so that a page can keep it in its saved state
// and resume it after a reload. Every operation takes the round and a draw
// function (or a shoe with draw()) and changes the round in place; the module
// owns no randomness, timers or DOM.

export const DECKS = 6;
export const MAX_HANDS = 4;
export const MAX_SEATS = 3;

/** The seats of a round in play order, each { bet, insurance, sides?, evenMoney? }; a round of one seat is its own. */
export const seatsOf = (round) => round.seats ?? [round];

/** The seat a hand is played at. */
export const seatOf = (hand) => hand.seat ?? 0;

const seatHands = (round, seat) => round.hands.filter((h) => seatOf(h) === seat).length;

const RANK_VALUE = { 2: 2, 3: 3, 4: 4, 5: 5, 6: 6, 7: 7, 8: 8, 9: 9, T: 10, J: 10, Q: 10, K: 10, A: 1 };

/** Point value of one card, the ace counting 1. */
export function cardValue(card) {
  const v = RANK_VALUE[card[0]];
  if (v === undefined) throw new RangeError(`not a card: ${card}`);
  return v;
}

/** The best total of a hand; soft when an ace counts 11 in it. */
export function handValue(cards) {
  let total = 0, ace = false;
  for (const c of cards) {
    const v = cardValue(c);
    total += v;
    if (v === 1) ace = true;
  }
  if (ace && total + 10 <= 21) return { total: total + 10, soft: true };
  return { total, soft: false };
}

/** A two-card 21 dealt as such; a hand made by splitting is never a blackjack. */
export function isBlackjack(cards, split = false) {
  return !split && cards.length === 2 && handValue(cards).total === 21;
}

/** The dealer draws to 16 and stands on every 17, soft ones included. */
export function dealerHits(cards) {
  return handValue(cards).total < 17;
}

function upValue(dealerUp) {
  const v = cardValue(dealerUp);
  return v === 1 ? 11 : v;
}

/**
 * The basic-strategy move for these rules (multi-deck, S17, DAS). A double
 * that is not allowed falls back to a hit, except soft 18, which then stands;
 * a pair that may not be split is played on its total. With late surrender
 * open, hard 16 gives up against 9, a ten or an ace and hard 15 against a ten
 * (eights are still split); without it the chart is the one it always was.
 */
export function basicStrategy(cards, dealerUp, { canDouble = cards.length === 2, canSplit = false, canSurrender = false } = {}) {
  const up = upValue(dealerUp);
  const double = (orElse = 'hit') => (canDouble ? 'double' : orElse);

  if (canSplit && cards.length === 2 && cardValue(cards[0]) === cardValue(cards[1])) {
    const p = cardValue(cards[0]);
    const split =
      p === 1 || p === 8 ||
      ((p === 2 || p === 3 || p === 7) && up <= 7) ||
      (p === 4 && (up === 5 || up === 6)) ||
      (p === 6 && up <= 6) ||
      (p === 9 && up !== 7 && up <= 9);
    if (split) return 'split';
  }

  const { total, soft } = handValue(cards);
  if (canSurrender && cards.length === 2 && !soft && ((total === 16 && up >= 9) || (total === 15 && up === 10))) return 'surrender';
  if (soft) {
    if (total >= 19) return 'stand';
    if (total === 18) {
      if (up >= 3 && up <= 6) return double('stand');
      return up <= 8 ? 'stand' : 'hit';
    }
    if (total === 17) return up >= 3 && up <= 6 ? double() : 'hit';
    if (total >= 15) return up >= 4 && up <= 6 ? double() : 'hit';
    if (total >= 13) return up >= 5 && up <= 6 ? double() : 'hit';
    return 'hit';
  }
  if (total >= 17) return 'stand';
  if (total >= 13) return up <= 6 ? 'stand' : 'hit';
  if (total === 12) return up >= 4 && up <= 6 ? 'stand' : 'hit';
  if (total === 11) return up <= 10 ? double() : 'hit';
  if (total === 10) return up <= 9 ? double() : 'hit';
  if (total === 9) return up >= 3 && up <= 6 ? double() : 'hit';
  return 'hit';
}

const drawFrom = (shoe) => (typeof shoe === 'function' ? shoe : () => shoe.draw());

/**
 * Deals a new round for one bet, or for each seat's bet (an array, in play
 * order): a card to each seat, the dealer's up card, a second card to each
 * seat, the dealer's hole card. The round then waits for the insurance
 * answers when the up card is an ace, and otherwise has already been peeked.
 */
export function deal(shoe, betCents, { surrender = false } = {}) {
  const bets = Array.isArray(betCents) ? betCents : [betCents];
  if (bets.length < 1 || bets.length > MAX_SEATS || !bets.every((b) => Number.isInteger(b) && b > 0)) {
    throw new RangeError(`bad bet: ${betCents}`);
  }
  const draw = drawFrom(shoe);
  const firsts = bets.map(() => draw()), up = draw(), seconds = bets.map(() => draw()), hole = draw();
  const several = bets.length > 1;
  const round = {
    ...(several ? { seats: bets.map((bet) => ({ bet, insurance: 0 })) } : { bet: bets[0] }),
    hands: bets.map((bet, s) => ({ cards: [firsts[s], seconds[s]], bet, doubled: false, split: false, done: false,
      ...(several ? { seat: s } : {}) })),
    dealer: [up, hole],
    active: 0,
    insurance: 0,
    phase: up[0] === 'A' ? 'insurance' : 'player',
    outcomes: null,
    net: 0,
  };
  // Each seat is asked in turn.
  if (several && round.phase === 'insurance') round.asking = 0;
  // Only a round dealt with the option carries it, so a round without it reads as it always did.
  if (surrender) round.surrender = true;
  if (round.phase === 'player') peek(round);
  return round;
}

/** The seat asked about insurance now (the round's own seat when it has one). */
export const askedSeat = (round) => seatsOf(round)[round.asking ?? 0];

/** Insurance costs half the asked seat's bet; it is only offered under an ace. */
export function insuranceCost(round) {
  return Math.floor(askedSeat(round).bet / 2);
}

/** Answers the insurance question for the asked seat; once every seat has answered, peeks. */
export function answerInsurance(round, take) {
  if (round.phase !== 'insurance') throw new Error('insurance is not offered now');
  askedSeat(round).insurance = take ? insuranceCost(round) : 0;
  nextAsked(round);
  return round;
}

function nextAsked(round) {
  if (round.seats) {
    round.insurance = round.seats.reduce((sum, s) => sum + s.insurance, 0);
    if (++round.asking < round.seats.length) return;
    delete round.asking;
  }
  round.phase = 'player';
  peek(round);
}

// A dealer blackjack ends every hand; a seat's own blackjack ends that seat.
function peek(round) {
  const up = round.dealer[0][0];
  const dealerBJ = (up === 'A' || cardValue(up) === 10) && isBlackjack(round.dealer);
  for (const hand of round.hands) if (dealerBJ || isBlackjack(hand.cards)) hand.done = true;
  if (dealerBJ) finish(round);
  else advance(round);
}

/** What the player may do with the active hand. */
export function options(round) {
  if (round.phase !== 'player') return { hit: false, stand: false, double: false, split: false, surrender: false };
  const hand = round.hands[round.active];
  const two = hand.cards.length === 2;
  const own = seatHands(round, seatOf(hand));
  return {
    // Late: the peek is behind every 'player' phase; never after a split or a third card.
    surrender: round.surrender === true && two && own === 1 && !hand.split,
    hit: true,
    stand: true,
    double: two,
    split: two && own < MAX_HANDS &&
      cardValue(hand.cards[0]) === cardValue(hand.cards[1]) &&
      !(hand.split && hand.cards[0][0] === 'A'),
  };
}

/** Whether action is one of the four moves and open now; inherited names such as "constructor" are none. */
export function isAllowed(round, action) {
  const allowed = options(round);
  return Object.hasOwn(allowed, action) && allowed[action] === true;
}

/** The extra stake an action puts on the table (doubling and splitting). */
export function actionCost(round, action) {
  if (action !== 'double' && action !== 'split') return 0;
  return round.hands[round.active].bet;
}

/** Plays one player decision on the active hand. */
export function act(round, action, shoe) {
  if (!isAllowed(round, action)) throw new Error(`${action} is not allowed now`);
  const draw = drawFrom(shoe);
  const hand = round.hands[round.active];
  if (action === 'hit') {
    hand.cards.push(draw());
  } else if (action === 'stand') {
    hand.done = true;
  } else if (action === 'surrender') {
    hand.surrendered = true;
    hand.done = true;
  } else if (action === 'double') {
    hand.bet *= 2;
    hand.doubled = true;
    hand.cards.push(draw());
    hand.done = true;
  } else if (action === 'split') {
    // The second hand waits for its card until play reaches it, as at a real
    // table; split aces are dealt one card each at once and are finished.
    const aces = hand.cards[0][0] === 'A';
    const second = { cards: [hand.cards[1]], bet: hand.bet, doubled: false, split: true, done: false,
      ...(hand.seat !== undefined ? { seat: hand.seat } : {}) };
    hand.cards = [hand.cards[0], draw()];
    hand.split = true;
    round.hands.splice(round.active + 1, 0, second);
    if (aces) {
      second.cards.push(draw());
      hand.done = second.done = true;
    }
  }
  advance(round, draw);
  return round;
}

// Moves past finished hands (a bust or 21 ends a hand by itself) and hands the
// round to the dealer when no hand is left to play.
function advance(round, draw) {
  while (round.active < round.hands.length) {
    const hand = round.hands[round.active];
    if (hand.cards.length === 1) hand.cards.push(draw());
    if (!hand.done && handValue(hand.cards).total >= 21) hand.done = true;
    if (!hand.done) return;
    round.active++;
  }
  round.active = round.hands.length - 1;
  finish(round);
}

// The dealer draws only when some hand still stands against him.
function finish(round) {
  round.phase = 'dealer';
  if (!needsDealer(round) || !dealerHits(round.dealer)) settleRound(round);
}

function needsDealer(round) {
  if (isBlackjack(round.dealer)) return false;
  const seats = seatsOf(round);
  return round.hands.some((h) => !h.surrendered && !seats[seatOf(h)].evenMoney && !isBlackjack(h.cards, h.split) &&
    handValue(h.cards).total <= 21);
}

/** Draws one dealer card; settles once the dealer stands. The round is in the
 * 'dealer' phase only while the dealer still has to draw. */
export function dealerStep(round, shoe) {
  if (round.phase !== 'dealer') throw new Error('the dealer is not playing now');
  if (dealerHits(round.dealer)) round.dealer.push(drawFrom(shoe)());
  if (!dealerHits(round.dealer)) settleRound(round);
  return round;
}

/**
 * One hand's result against the dealer's final cards, in cents of net change:
 * 'blackjack' +3/2, 'win' +1, 'push' 0, 'lose' and 'bust' -1 of the hand's
 * stake (doubled stakes included), 'surrender' -1/2 (rounded to the cent the
 * house's way, never met with whole-chip bets).
 */
export function settleHand(hand, dealerCards) {
  if (hand.surrendered) return { outcome: 'surrender', net: -Math.ceil(hand.bet / 2) };
  const player = handValue(hand.cards).total;
  const playerBJ = isBlackjack(hand.cards, hand.split);
  const dealerBJ = isBlackjack(dealerCards);
  let outcome;
  if (player > 21) outcome = 'bust';
  else if (playerBJ && dealerBJ) outcome = 'push';
  else if (playerBJ) outcome = 'blackjack';
  else if (dealerBJ) outcome = 'lose';
  else {
    const dealer = handValue(dealerCards).total;
    if (dealer > 21 || player > dealer) outcome = 'win';
    else if (player === dealer) outcome = 'push';
    else outcome = 'lose';
  }
  const net = { blackjack: Math.floor((hand.bet * 3) / 2), win: hand.bet, push: 0, lose: -hand.bet, bust: -hand.bet }[outcome];
  return { outcome, net };
}

/** Net result of an insurance stake: 2:1 against a dealer blackjack. */
export function settleInsurance(insurance, dealerCards) {
  return isBlackjack(dealerCards) ? 2 * insurance : -insurance;
}

// A seat that took even money was paid 1:1 whatever the dealer held.
function settleRound(round) {
  const seats = seatsOf(round);
  round.phase = 'done';
  round.outcomes = round.hands.map((h) => (seats[seatOf(h)].evenMoney ? { outcome: 'win', net: h.bet } : settleHand(h, round.dealer)));
  round.net = round.outcomes.reduce((s, o) => s + o.net, 0) +
    seats.reduce((sum, s) => sum + settleInsurance(s.insurance, round.dealer), 0);
}

/** Everything the player has staked in the round so far. */
export function totalStaked(round) {
  return round.hands.reduce((s, h) => s + h.bet, 0) + round.insurance;
}

/**
 * Plays one whole round headlessly: insurance declined, each decision asked
 * of decide(cards, dealerUp, options). Returns the net change in cents.
 */
export function playRound(shoe, betCents, decide, rules = {}) {
  const round = deal(shoe, betCents, rules);
  if (round.phase === 'insurance') answerInsurance(round, false);
  while (round.phase === 'player') {
    const hand = round.hands[round.active];
    const o = options(round);
    act(round, decide(hand.cards, round.dealer[0], { canDouble: o.double, canSplit: o.split, canSurrender: o.surrender }), shoe);
  }
  while (round.phase === 'dealer') dealerStep(round, shoe);
  return round.net;
}

/** Even money is offered in place of insurance when the asked seat's blackjack faces a dealer ace. */
export function evenMoneyOffered(round) {
  return round.phase === 'insurance' && isBlackjack(round.hands[round.asking ?? 0].cards);
}

/**
 * Takes even money: the blackjack is paid 1:1 at once and the round ends
 * without a peek. It is the value of insuring the blackjack, which wins 1:1
 * whether the dealer has blackjack (push, insurance 2:1) or not (3:2, less
 * the insurance). Declining it is answerInsurance(round, false).
 */
export function takeEvenMoney(round) {
  if (!evenMoneyOffered(round)) throw new Error('even money is not offered now');
  // One seat of several: it is settled with the others, as it was paid whatever the dealer holds.
  if (round.seats) {
    askedSeat(round).evenMoney = true;
    round.hands[round.asking].done = true;
    nextAsked(round);
    return round;
  }
  round.evenMoney = true;
  round.hands[0].done = true;
  round.phase = 'done';
  round.outcomes = [{ outcome: 'win', net: round.bet }];
  round.net = round.bet;
  return round;
}
