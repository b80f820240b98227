// SPDX-License-Identifier: GPL-3.0-or-later
// Every sentence the tables show the player, by key, in one catalogue per
// language. Pure: no DOM at import time, so node tests read the same words.
//
// A message is a string with {named} places, or an object of plural forms
// ({ one, other }) chosen by Intl.PluralRules on the `count` parameter.
// Amounts are passed in cents and formatted here, through Intl.NumberFormat,
// so a language brings its own digit grouping and decimal sign with it.
import { setNumberLocale, formatChips } from './money.js';

const EN = {
  // The net result of a round, always said first.
  'net.win': { one: 'You win {amount} chip.', other: 'You win {amount} chips.' },
  'net.loss': { one: 'You lose {amount} chip.', other: 'You lose {amount} chips.' },
  'net.even': 'You break even.',
  'net.aria': 'Result',

  // One bet's own outcome: "Red: 5 wins 5."
  'bet.won': '{name}: {stake} wins {won}.',
  'bet.wonNote': '{name}: {stake} wins {won} ({note}).',
  'bet.back': '{name}: {stake} comes back.',
  'bet.backNote': '{name}: {stake} comes back ({note}).',
  'bet.lost': '{name}: {stake} loses.',
  'bet.lostNote': '{name}: {stake} loses ({note}).',
  'bet.othersLost': { one: 'Your other bet loses {amount}.', other: 'Your other bets lose {amount}.' },

  // Roulette
  'roulette.landed': 'The ball lands on {colour} {number}.',
  'roulette.landedZero': 'The ball lands on zero.',
  'roulette.red': 'red',
  'roulette.black': 'black',
  'roulette.nothingWon': 'None of your bets covers it.',
  'roulette.recovered': 'Your last spin was settled while the table was closed.',
  'roulette.spot.straight': 'Straight up {numbers}',
  'roulette.spot.split': 'Split {numbers}',
  'roulette.spot.street': 'Street {numbers}',
  'roulette.spot.trio': 'Trio {numbers}',
  'roulette.spot.corner': 'Corner {numbers}',
  'roulette.spot.firstFour': 'First four',
  'roulette.spot.sixLine': 'Six line {numbers}',
  'roulette.spot.column': 'Column {which}',
  'roulette.spot.dozen': 'Dozen {numbers}',
  'roulette.spot.red': 'Red',
  'roulette.spot.black': 'Black',
  'roulette.spot.odd': 'Odd',
  'roulette.spot.even': 'Even',
  'roulette.spot.low': '1 to 18',
  'roulette.spot.high': '19 to 36',
  'roulette.limits': 'Limits: {min} to {straightMax} straight up, up to {evenMax} on an even chance, {max} a spin.',
  'roulette.spinning': 'Wait: the ball is still rolling.',
  'roulette.welcome': 'Place your bets: pick a chip, then a spot on the layout or the racetrack.',

  // Blackjack
  'blackjack.hand': 'Your hand',
  'blackjack.handN': 'Hand {n}',
  'blackjack.doubled': '{hand} (doubled)',
  'blackjack.blackjack': '{hand}: blackjack pays {won}.',
  'blackjack.win': '{hand}: {total} beats the dealer\'s {dealer}, wins {won}.',
  'blackjack.winBust': '{hand}: {total} wins {won}; the dealer busts with {dealer}.',
  'blackjack.push': '{hand}: {total} ties the dealer\'s {dealer}; your {stake} comes back.',
  'blackjack.lose': '{hand}: {total} loses {stake} to the dealer\'s {dealer}.',
  'blackjack.bust': '{hand}: busts with {total}, loses {stake}.',
  'blackjack.dealerBlackjack': 'blackjack',
  'blackjack.yourBlackjack': 'blackjack',
  'blackjack.insuranceWon': 'Insurance: the dealer has blackjack, it pays {won}.',
  'blackjack.insuranceLost': 'Insurance: no dealer blackjack, it loses {stake}.',
  'blackjack.limits': 'Bets {min} to {max} a hand; doubling and splitting add the same again.',
  'blackjack.busy': 'Wait: the cards are still being dealt.',
  'blackjack.noHand': 'There is no hand in play: place a bet and deal.',
  'blackjack.dealerPlays': 'The dealer is playing out the hand.',
  'blackjack.noInsurance': 'Insurance is offered only when the dealer shows an ace.',
  'blackjack.cannotCover': 'To {move} you need {needed} more chips; you hold {held}.',
  'blackjack.doubleTwoCards': 'You can double only on a hand\'s first two cards.',
  'blackjack.splitTwoCards': 'You can split only a hand\'s first two cards.',
  'blackjack.splitPair': 'You can split only two cards of the same value.',
  'blackjack.splitFourHands': 'You already play {hands} hands, the most there can be.',
  'blackjack.splitAces': 'Split aces take one card each and cannot be split again.',
  'blackjack.noHint': 'A hint is given while you play a hand.',
  'blackjack.chipsBetweenHands': 'Chips go down only between hands.',
  'blackjack.move.hit': 'hit',
  'blackjack.move.stand': 'stand',
  'blackjack.move.double': 'double',
  'blackjack.move.split': 'split',
  'blackjack.insuranceCosts': 'Insurance costs {needed} chips; you hold {held}.',
  'blackjack.action.doubleBet': 'Double bet',
  'blackjack.action.insure': 'Insurance',
  'blackjack.action.insureCost': 'Insurance {amount}',
  'blackjack.action.noInsure': 'No insurance',
  'blackjack.action.hint': 'Hint',
  'blackjack.action.split': 'Split',
  'blackjack.action.double': 'Double',
  'blackjack.action.stand': 'Stand',
  'blackjack.action.hit': 'Hit',
  'blackjack.welcome': 'Choose a chip, place your bet and deal.',
  'blackjack.stillInPlay': 'Your hand is still in play.',
  'blackjack.dealerTurn': 'Dealer plays.',
  'blackjack.insuranceOffer': 'Dealer shows an ace. Insurance costs {amount} and pays 2 to 1.',
  'blackjack.hintSays': 'Basic strategy says: {move}.',
  'blackjack.notDrawing': 'The dealer is not drawing now.',
  'blackjack.spot': 'Bet circle: add the selected chip',
  'blackjack.dealerArea': 'Dealer',
  'blackjack.handsArea': 'Your hands',
  'blackjack.showHints': 'Show the hint as I play',
  'blackjack.stats.blackjacks': 'Blackjacks',
  // A hand's total and outcome on its label and for a screen reader.
  'blackjack.totalBust': '{total} bust',
  'blackjack.handLabel': 'Hand {n}: {total}',
  'blackjack.handLabelOutcome': 'Hand {n}: {total}, {outcome}',
  'blackjack.stakeDoubled': '{stake} doubled',
  'blackjack.outcome.win': 'win',
  'blackjack.outcome.blackjack': 'blackjack',
  'blackjack.outcome.push': 'push',
  'blackjack.outcome.lose': 'lose',
  'blackjack.outcome.bust': 'bust',
  // Printed on the felt.
  'blackjack.felt.pays': 'BLACKJACK PAYS 3 TO 2',
  'blackjack.felt.stands': 'Dealer must stand on all 17s',
  'blackjack.felt.insurance': 'INSURANCE PAYS 2 TO 1',

  // Baccarat
  'baccarat.tie': 'Tie, {total} all.',
  'baccarat.player': 'Player wins, {high} over {low}.',
  'baccarat.banker': 'Banker wins, {high} over {low}.',
  'baccarat.naturalTie': 'Tie, natural {total} all.',
  'baccarat.naturalPlayer': 'Player wins with a natural {high} over {low}.',
  'baccarat.naturalBanker': 'Banker wins with a natural {high} over {low}.',
  'baccarat.spot.player': 'Player',
  'baccarat.spot.banker': 'Banker',
  'baccarat.spot.tie': 'Tie',
  'baccarat.spot.playerPair': 'Player pair',
  'baccarat.spot.bankerPair': 'Banker pair',
  'baccarat.commission': 'less 5% commission',
  'baccarat.tieBack': 'a tie',
  'baccarat.limits': 'Limits: Player and Banker {min} to {mainMax}, Tie and pairs up to {sideMax}, {max} a round.',
  'baccarat.busy': 'Wait: the cards are still being dealt.',

  // Poker
  'poker.fold': 'You fold: the ante is lost.',
  'poker.notQualified': 'The dealer\'s {dealer} does not qualify (a pair of fours or better is needed): the ante is paid, the call comes back.',
  'poker.win': 'Your {player} beats the dealer\'s {dealer}.',
  'poker.lose': 'The dealer\'s {dealer} beats your {player}.',
  'poker.push': 'Your {player} ties the dealer\'s {dealer}.',
  'poker.ante': 'Ante',
  'poker.call': 'Call',
  'poker.bonus': 'AA bonus',
  'poker.pays': 'pays {odds} to 1',
  'poker.limits': 'Ante {min} to {anteMax}, AA bonus up to {bonusMax}; the call is twice the ante.',
  'poker.busy': 'Wait: the cards are still being turned.',
  'poker.callCost': 'The call costs {needed} chips; you hold {held}.',
  'poker.noHand': 'There is no hand in play: place an ante and deal.',
  'poker.chipsBetweenHands': 'Chips go down only between hands.',
  'poker.action.doubleBets': 'Double bets',
  'poker.action.fold': 'Fold',
  'poker.action.call': 'Call',
  'poker.action.callCost': 'Call {amount}',
  'poker.welcome': 'Place an ante (and the AA bonus if you like), then deal.',
  'poker.youHold': 'You hold {hand}. Call {amount} or fold.',
  'poker.stillInPlay': 'Your hand is still in play: call {amount} or fold.',
  'poker.anteFirst': 'Place an ante: the AA bonus rides beside it, not alone.',
  'poker.anteNeedsCall': 'An ante of {stake} needs {needed} more behind it for the call; you hold {held}.',
  'poker.doesNotQualify': '{hand} · does not qualify',
  'poker.spot.ante': 'Ante circle: add the selected chip',
  'poker.spot.bonus': 'AA bonus circle: add the selected chip',
  'poker.spot.call': 'Call circle',
  'poker.dealerArea': 'Dealer',
  'poker.boardArea': 'Board',
  'poker.playerArea': 'Your cards',
  'poker.side': 'Paytables and statistics',
  'poker.paytable': 'Pays, to 1',
  'poker.handColumn': 'Hand',
  'poker.bonusFrom': 'The AA bonus pays from a pair of aces up.',
  'poker.row.9': 'Royal flush',
  'poker.row.8': 'Straight flush',
  'poker.row.7': 'Four of a kind',
  'poker.row.6': 'Full house',
  'poker.row.5': 'Flush',
  'poker.row.rest': 'Straight or less',
  'poker.stats.folded': 'Folded',
  'poker.stats.bonusWins': 'AA bonus wins',
  'poker.felt.title': "CASINO HOLD'EM",
  'poker.felt.qualifies': 'Dealer qualifies with a pair of fours or better',

  // Poker hand names, in lower case to sit inside a sentence.
  'hand.0': '{r1} high',
  'hand.1': 'pair of {r1s}',
  'hand.2': 'two pair, {r1s} and {r2s}',
  'hand.3': 'three of a kind, {r1s}',
  'hand.4': 'straight to the {r1}',
  'hand.5': 'flush, {r1} high',
  'hand.6': 'full house, {r1s} over {r2s}',
  'hand.7': 'four of a kind, {r1s}',
  'hand.8': 'straight flush to the {r1}',
  'hand.9': 'royal flush',
  'rank': ['two', 'three', 'four', 'five', 'six', 'seven', 'eight', 'nine', 'ten', 'jack', 'queen', 'king', 'ace'],
  'ranks': ['twos', 'threes', 'fours', 'fives', 'sixes', 'sevens', 'eights', 'nines', 'tens', 'jacks', 'queens',
    'kings', 'aces'],

  // What a screen reader hears as the cards come.
  'say.cards': '{who}: {cards}, {total}.',
  'say.cardsNoTotal': '{who}: {cards}.',
  'say.you': 'You',
  'say.dealer': 'Dealer',
  'say.player': 'Player',
  'say.banker': 'Banker',
  'say.flop': 'The flop: {cards}. You hold {hand}.',
  'say.turn': 'The turn: {card}.',
  'say.river': 'The river: {card}.',
  'say.dealerHole': 'The dealer holds {cards}: {hand}.',
  'say.spin': 'No more bets: the ball is rolling.',
  'card.faceDown': 'Face-down card',

  // The actions and the statistics panel the card tables share.
  'action.undo': 'Undo',
  'action.clear': 'Clear',
  'action.repeat': 'Repeat',
  'action.deal': 'Deal',
  'stats.title': 'This table',
  'stats.aria': 'Statistics',
  'stats.won': 'Won',
  'stats.lost': 'Lost',
  'stats.pushed': 'Pushed',

  // Refusals and the way back from an empty rack.
  'refuse.handInPlay': 'A hand is already in play.',
  'refuse.busy': 'Wait: the round is still being played.',
  'refuse.noBet': 'Place a bet first.',
  'refuse.nothingToUndo': 'Nothing to undo.',
  'refuse.noBets': 'There are no bets on the table.',
  'refuse.nothingToRepeat': 'No earlier bet to repeat.',
  'refuse.noSuchChip': 'There is no {chip} chip.',
  'refuse.wholeChips': 'Bets are whole chips.',
  'refuse.spotMax': 'The most on {spot} is {max}.',
  'refuse.spotMin': 'The least on {spot} is {min}.',
  'refuse.roundMax': 'This table\'s limit is {max} a round.',
  'refuse.roundMin': 'This table\'s minimum is {min} a round.',
  'refuse.bankroll': 'Not enough chips for that bet: it needs {needed} and you hold {held}.',
  'refuse.noBetThere': 'There is no bet there.',
  'refuse.noChips': 'You have no chips left at this table.',
  'refuse.chipOverBankroll': 'You hold only {held} chips.',
  'refuse.chipOverLimit': 'Above this table\'s limit of {max} on one spot.',
  'refuse.notOffered': '{action} is not offered now.',
  'chip.name': '{face} chip (key {key})',
  'chip.nameWorth': '{face} chip, worth {value} (key {key})',
  'broke.title': 'Out of chips',
  'broke.text': 'You hold {held} chips here, less than this table\'s smallest bet of {min}. Start again at this table with {fresh} chips, or choose {command} ({shortcut}) in the menu.',
  'broke.button': 'Start again with {fresh} chips',
  'broke.done': 'A fresh start: {fresh} chips at this table.',
};

const CATALOGUES = { en: EN };

/** The catalogue for the first of the player's languages we have; English otherwise. */
export function chooseLanguage(languages = []) {
  for (const tag of languages) {
    const base = String(tag).toLowerCase().split(/[-_]/)[0];
    if (Object.hasOwn(CATALOGUES, base)) return base;
  }
  return 'en';
}

const nav = globalThis.navigator;
let language = chooseLanguage(nav?.languages?.length ? nav.languages : [nav?.language ?? 'en']);
let plurals = new Intl.PluralRules(language);
setNumberLocale(language);

/** For tests and a later language menu: switch every message and number. */
export function setLanguage(tag) {
  language = chooseLanguage([tag]);
  plurals = new Intl.PluralRules(language);
  setNumberLocale(language);
  return language;
}

/** The raw entry under `key`, from the player's language or English. */
export function entry(key) {
  const own = CATALOGUES[language];
  if (own && Object.hasOwn(own, key)) return own[key];
  if (Object.hasOwn(EN, key)) return EN[key];
  return null;
}

/**
 * The message under `key` with its places filled. Parameters ending in
 * `amount`, `stake`, `won`, `held`, `min`, `max` or `needed` that are numbers
 * are cents and are formatted as chips; `count` picks the plural form.
 */
export function t(key, params = {}) {
  let text = entry(key);
  if (text === null) {
    console.warn(`Velmar Casino: no message ${key}`);
    return key;
  }
  if (typeof text === 'object' && !Array.isArray(text)) {
    text = text[plurals.select(params.count ?? 0)] ?? text.other;
  }
  return String(text).replace(/\{(\w+)\}/g, (whole, name) => {
    if (!Object.hasOwn(params, name)) return whole;
    const v = params[name];
    return typeof v === 'number' && CENTS.test(name) ? formatChips(v) : String(v);
  });
}

const CENTS = /(amount|stake|won|held|min|max|Max|needed|fresh|value)$/;
