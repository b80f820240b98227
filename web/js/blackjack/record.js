// SPDX-License-Identifier: GPL-3.0-or-later
// What the blackjack table says of a round: its record for the history and
// the lobby, the sentences of its result, and its line in the history sheet.
import { t } from '../kit/messages.js';
import { formatChips } from '../kit/money.js';
import { roundRecord } from '../kit/history.js';
import { buildResult } from '../kit/results.js';
import { cardsText } from '../kit/cards.js';
import { handValue, isBlackjack, settleHand, settleInsurance } from '../rules/blackjack.js';

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
  round.hands.forEach((hand, i) => {
    const { net } = round.evenMoney ? { net: round.bet } : settleHand(hand, round.dealer);
    const back = hand.bet + net;
    const kind = i > 0 ? 'split' : round.surrender ? 'mainSurrender' : 'main';
    if (hand.doubled) {
      bets.push({ kind, staked: hand.bet / 2, returned: back / 2 }, { kind: 'double', staked: hand.bet / 2, returned: back / 2 });
    } else {
      bets.push({ kind, staked: hand.bet, returned: back });
    }
  });
  for (const side of round.sides ?? []) bets.push({ kind: side.kind, staked: side.stake, returned: side.back });
  if (round.insurance) bets.push({ kind: 'insurance', staked: round.insurance, returned: round.insurance + settleInsurance(round.insurance, round.dealer) });
  return roundRecord({ table: 'blackjack', at, bankroll, bets,
    shown: { dealer: round.dealer, hands: round.hands.map((h) => h.cards), ...(round.evenMoney ? { evenMoney: true } : {}) } });
}

const RETURN = { blackjack: (h) => h.bet + Math.floor((h.bet * 3) / 2), win: (h) => 2 * h.bet, push: (h) => h.bet, lose: () => 0, bust: () => 0,
  surrender: (h) => Math.floor(h.bet / 2) };

/** What one side bet did, as the result line and the live region say it. */
export function sideBetText({ kind, stake, hand, back }) {
  const name = t(`blackjack.side.${kind}`);
  return hand ? t('blackjack.sideWon', { bet: name, hand: t(`blackjack.sideHand.${hand}`), won: back - stake })
    : t('blackjack.sideLost', { bet: name, stake });
}

const sideNet = (round) => (round.sides ?? []).reduce((sum, b) => sum + b.back - b.stake, 0);

/** A settled round: every hand of a split and the insurance. */
export function resultOf(round) {
  // Even money ends the round before the dealer looks: the hole card stays unsaid.
  const sides = (round.sides ?? []).map(sideBetText);
  const net = round.net + sideNet(round);
  if (round.evenMoney) return buildResult({ net, scene: [t('blackjack.evenMoneyPaid', { won: round.net }), ...sides] });
  const several = round.hands.length > 1;
  const dealerBJ = isBlackjack(round.dealer);
  const dealer = dealerBJ ? t('blackjack.dealerBlackjack') : String(handValue(round.dealer).total);
  const lines = round.hands.map((hand, i) => {
    const { outcome } = round.outcomes[i];
    let name = several ? t('blackjack.handN', { n: i + 1 }) : t('blackjack.hand');
    if (hand.doubled) name = t('blackjack.doubled', { hand: name });
    const own = isBlackjack(hand.cards, hand.split) ? t('blackjack.yourBlackjack') : String(handValue(hand.cards).total);
    const back = RETURN[outcome](hand);
    const key = outcome === 'win' && handValue(round.dealer).total > 21 ? 'winBust' : outcome;
    return t(`blackjack.${key}`, { hand: name, total: own, dealer, stake: hand.bet, won: back - hand.bet, held: hand.bet - back });
  });
  lines.push(...sides);
  if (round.insurance) {
    const net = settleInsurance(round.insurance, round.dealer);
    lines.push(net > 0 ? t('blackjack.insuranceWon', { won: net }) : t('blackjack.insuranceLost', { stake: round.insurance }));
  }
  return buildResult({ net, scene: lines });
}

/** A history entry as the history sheet lists it: what happened and the bets. */
export const describeEntry = (entry) => ({
  what: Array.isArray(entry.hands) && Array.isArray(entry.dealer)
    ? t('history.blackjack', { hands: entry.hands.map(cardsText).join(' | '),
      dealer: cardsText(entry.shown?.evenMoney ? entry.dealer.slice(0, 1) : entry.dealer) }) : '',
  bets: [Number.isSafeInteger(entry.bet) ? `${t('blackjack.hand')} ${formatChips(entry.bet)}` : '',
    entry.insurance ? `${t('blackjack.action.insure')} ${formatChips(entry.insurance)}` : '',
    ...(Array.isArray(entry.bets) ? entry.bets : []).filter((b) => b?.kind === 'twentyOnePlusThree' || b?.kind === 'perfectPairs')
      .map((b) => `${t(`blackjack.side.${b.kind}`)} ${formatChips(b.staked)}`)].filter(Boolean).join(', '),
});
