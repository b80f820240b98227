// SPDX-License-Identifier: GPL-3.0-or-later
// What the blackjack table says of a round: its record for the history and
// the lobby, the sentences of its result, and its line in the history sheet.
import { t } from '../kit/messages.js';
import { formatChips } from '../kit/money.js';
import { roundRecord } from '../kit/history.js';
import { buildResult } from '../kit/results.js';
import { cardsText } from '../kit/cards.js';
import { handValue, isBlackjack, settleHand, settleInsurance, seatsOf, seatOf } from '../rules/blackjack.js';

/** A seat's spot on the slip and in the record: the first seat's are the table's old ones ('bet'), the others' carry the seat's number ('bet2'). */
export const spotOf = (kind, seat) => (seat ? `${kind}${seat + 1}` : kind);

/**
 * What hand `i` of a round is called: "Your hand" or "Hand 2" at one seat,
 * "Seat 2" or "Seat 2, hand 1" at several.
 */
export function handName(round, i) {
  const seat = seatOf(round.hands[i]);
  const own = round.hands.filter((h) => seatOf(h) === seat).length;
  const n = round.hands.slice(0, i + 1).filter((h) => seatOf(h) === seat).length;
  if (!round.seats) return own > 1 ? t('blackjack.handN', { n }) : t('blackjack.hand');
  return own > 1 ? t('blackjack.seatHandN', { seat: seat + 1, n }) : t('blackjack.seatN', { seat: seat + 1 });
}

// A line about one seat of several starts with its name.
const ofSeat = (round, seat, text) => (round.seats ? t('blackjack.seatSays', { seat: seat + 1, text }) : text);

/**
 * A hand's total as it is shown: both values of a soft total ("7 / 17") only
 * while the hand can still take a card, the final value once it cannot.
 */
export function handTotalText(cards, open = false) {
  const { total, soft } = handValue(cards);
  return open && soft && total < 21 ? `${total - 10} / ${total}` : String(total);
}

/**
 * A finished round. Each hand's first stake is the main bet (the first hand)
 * or a split; a double is a stake of its own; the hand's return is shared
 * between them as the stakes are. Even money is the main bet paid 1:1. The
 * main bet of a hand dealt with late surrender open is a kind of its own, as
 * its edge is; the side bets follow with what they returned at the deal.
 */
export function recordOf(round, bankroll, at) {
  const bets = [];
  const seats = seatsOf(round);
  // At several seats each stake names its seat's spot.
  const at_ = (kind, seat) => (round.seats ? { spot: spotOf(kind, seat) } : {});
  round.hands.forEach((hand, i) => {
    const seat = seatOf(hand);
    const { net } = round.evenMoney || seats[seat].evenMoney ? { net: hand.bet } : settleHand(hand, round.dealer);
    const back = hand.bet + net;
    const first = i === 0 || seatOf(round.hands[i - 1]) !== seat;
    const kind = !first ? 'split' : round.surrender ? 'mainSurrender' : 'main';
    const spot = at_('bet', seat);
    if (hand.doubled) {
      bets.push({ kind, ...spot, staked: hand.bet / 2, returned: back / 2 }, { kind: 'double', ...spot, staked: hand.bet / 2, returned: back / 2 });
    } else {
      bets.push({ kind, ...spot, staked: hand.bet, returned: back });
    }
  });
  seats.forEach((seat, i) => {
    for (const side of seat.sides ?? []) bets.push({ kind: side.kind, ...at_(side.kind, i), staked: side.stake, returned: side.back });
    if (seat.insurance) {
      bets.push({ kind: 'insurance', ...at_('insurance', i), staked: seat.insurance,
        returned: seat.insurance + settleInsurance(seat.insurance, round.dealer) });
    }
  });
  return roundRecord({ table: 'blackjack', at, bankroll, bets,
    shown: { dealer: round.dealer, hands: round.hands.map((h) => h.cards), ...(round.evenMoney ? { evenMoney: true } : {}),
      ...(round.seats ? { seats: round.hands.map(seatOf) } : {}) } });
}

const RETURN = { blackjack: (h) => h.bet + Math.floor((h.bet * 3) / 2), win: (h) => 2 * h.bet, push: (h) => h.bet, lose: () => 0, bust: () => 0,
  surrender: (h) => Math.floor(h.bet / 2) };

/** What one side bet did, as the result line and the live region say it. */
export function sideBetText({ kind, stake, hand, back }) {
  const name = t(`blackjack.side.${kind}`);
  return hand ? t('blackjack.sideWon', { bet: name, hand: t(`blackjack.sideHand.${hand}`), won: back - stake })
    : t('blackjack.sideLost', { bet: name, stake });
}

/** What each seat's side bets did, seat by seat. */
export const sidesText = (round) => seatsOf(round).flatMap((seat, i) => (seat.sides ?? []).map((b) => ofSeat(round, i, sideBetText(b))));

const sideNet = (round) => seatsOf(round).flatMap((seat) => seat.sides ?? []).reduce((sum, b) => sum + b.back - b.stake, 0);

/** A settled round: every seat, every hand of a split, the side bets and the insurance. */
export function resultOf(round) {
  // Even money ends the round before the dealer looks: the hole card stays unsaid.
  const sides = sidesText(round);
  const net = round.net + sideNet(round);
  if (round.evenMoney) return buildResult({ net, scene: [t('blackjack.evenMoneyPaid', { won: round.net }), ...sides] });
  const seats = seatsOf(round);
  const dealerBJ = isBlackjack(round.dealer);
  const dealer = dealerBJ ? t('blackjack.dealerBlackjack') : String(handValue(round.dealer).total);
  const lines = round.hands.map((hand, i) => {
    const { outcome } = round.outcomes[i];
    if (seats[seatOf(hand)].evenMoney) return ofSeat(round, seatOf(hand), t('blackjack.evenMoneyPaid', { won: hand.bet }));
    let name = handName(round, i);
    if (hand.doubled) name = t('blackjack.doubled', { hand: name });
    const own = isBlackjack(hand.cards, hand.split) ? t('blackjack.yourBlackjack') : String(handValue(hand.cards).total);
    const back = RETURN[outcome](hand);
    const key = outcome === 'win' && handValue(round.dealer).total > 21 ? 'winBust' : outcome;
    return t(`blackjack.${key}`, { hand: name, total: own, dealer, stake: hand.bet, won: back - hand.bet, held: hand.bet - back });
  });
  lines.push(...sides);
  seats.forEach((seat, i) => {
    if (!seat.insurance) return;
    const net = settleInsurance(seat.insurance, round.dealer);
    lines.push(ofSeat(round, i, net > 0 ? t('blackjack.insuranceWon', { won: net }) : t('blackjack.insuranceLost', { stake: seat.insurance })));
  });
  return buildResult({ net, scene: lines });
}

/** A history entry as the history sheet lists it: what happened and the bets. */
export const describeEntry = (entry) => (Array.isArray(entry.seats) ? describeSeats(entry) : {
  what: Array.isArray(entry.hands) && Array.isArray(entry.dealer)
    ? t('history.blackjack', { hands: entry.hands.map(cardsText).join(' | '),
      dealer: cardsText(entry.shown?.evenMoney ? entry.dealer.slice(0, 1) : entry.dealer) }) : '',
  bets: [Number.isSafeInteger(entry.bet) ? `${t('blackjack.hand')} ${formatChips(entry.bet)}` : '',
    entry.insurance ? `${t('blackjack.action.insure')} ${formatChips(entry.insurance)}` : '',
    ...(Array.isArray(entry.bets) ? entry.bets : []).filter((b) => b?.kind === 'twentyOnePlusThree' || b?.kind === 'perfectPairs')
      .map((b) => `${t(`blackjack.side.${b.kind}`)} ${formatChips(b.staked)}`)].filter(Boolean).join(', '),
});

// An entry of several seats: each seat's hands, then each seat's stakes as its record lists them.
const SEAT_SPOT = /^(bet|insurance|twentyOnePlusThree|perfectPairs)([23])?$/;
function describeSeats(entry) {
  const seats = entry.shown?.seats;
  const hands = Array.isArray(entry.hands) && Array.isArray(seats) && seats.length === entry.hands.length
    ? entry.seats.map((_, s) => `${t('blackjack.seatN', { seat: s + 1 })} ${entry.hands.filter((_, i) => seats[i] === s).map(cardsText).join(' | ')}`)
    : [];
  const bets = (Array.isArray(entry.bets) ? entry.bets : []).flatMap((b) => {
    const m = SEAT_SPOT.exec(b?.spot);
    if (!m || !Number.isSafeInteger(b.staked) || !['main', 'mainSurrender', 'insurance', 'twentyOnePlusThree', 'perfectPairs'].includes(b.kind)) return [];
    const name = b.kind === 'insurance' ? t('blackjack.action.insure') : m[1] === 'bet' ? t('blackjack.hand') : t(`blackjack.side.${b.kind}`);
    return [t('blackjack.seatSays', { seat: m[2] ?? 1, text: `${name} ${formatChips(b.staked)}` })];
  });
  return { what: hands.length && Array.isArray(entry.dealer) ? t('history.blackjackSeats', { hands: hands.join('; '), dealer: cardsText(entry.dealer) }) : '',
    bets: bets.join(', ') };
}
