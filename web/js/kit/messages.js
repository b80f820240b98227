// SPDX-License-Identifier: GPL-3.0-or-later
// Every sentence the tables show the player, by key, in one catalogue per
// language. Pure: no DOM at import time, so node tests read the same words.
//
// A message is a string with {named} places, or an object of plural forms
// chosen by the language's plural rule on the `count` parameter. Amounts are
// passed in cents and formatted here, through Intl.NumberFormat, so a
// language brings its own digit grouping and decimal sign with it.
//
// English, below, is the source: the build extracts it into the translation
// template and generates translations.js from po/<lang>.po, each language
// with the plural rule of its .po header. A source tree without that file
// speaks English.
import { setNumberLocale, formatChips } from './money.js';

const generated = await import('./translations.js').then((m) => m.TRANSLATIONS, () => ({}));

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
  'roulette.spot.low': '1–18',
  'roulette.spot.high': '19–36',
  'roulette.limits': 'Limits: {min} to {straightMax} straight up, up to {evenMax} on an even chance, {max} a spin.',
  'roulette.spinning': 'Wait: the ball is still rolling.',
  'roulette.welcome': 'Place your bets: pick a chip, then a spot on the layout or the racetrack.',
  'roulette.noMoreBets': 'The ball is rolling: no more bets.',
  'roulette.alreadyRolling': 'The ball is already rolling.',
  'roulette.noSuchSpot': 'There is no such place on the layout.',
  'roulette.callNeedsNumber': 'That call bet needs a number.',
  'roulette.lastNumber': 'Last number',
  'roulette.history': 'History',
  'roulette.historyList': 'Last numbers, newest first',
  'roulette.hot': 'Hot',
  'roulette.cold': 'Cold',
  'roulette.placed': '{name}: placed.',
  'roulette.call.voisins': 'Voisins du zéro',
  'roulette.call.tiers': 'Tiers du cylindre',
  'roulette.call.orphelins': 'Orphelins',
  'roulette.call.jeuZero': 'Jeu zéro',
  'roulette.call.neighbours': 'Neighbours of {n}',
  'roulette.track': 'Racetrack: call bets and neighbours',
  'roulette.layout': 'roulette layout',
  'roulette.layoutHelp': 'Betting layout. Arrow keys move, Enter or Space bets the chosen chip, Delete takes the bet off.',
  'roulette.spotPays': '{name}, pays {odds} to 1',
  'roulette.spotBet': '{name}, pays {odds} to 1; {amount} on it',
  'roulette.cloth.column': '2 to 1',
  'roulette.cloth.dozens': ['1st 12', '2nd 12', '3rd 12'],

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
  'blackjack.evenMoneyPaid': 'Even money: your blackjack is paid {won} at once.',
  'blackjack.noEvenMoney': 'Even money is offered only for your blackjack against a dealer ace.',
  'blackjack.action.evenMoney': 'Even money',
  'blackjack.evenMoneyOffer': 'Dealer shows an ace and you hold blackjack: take even money (paid 1 to 1 now), or play on; insurance costs {amount}.',
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
  'blackjack.move.insure': 'take insurance',
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
  'blackjack.chartScore': 'Chart followed: {matched} of {decisions} ({percent}%) this session, {overall}% overall.',
  'blackjack.chartScoreOverall': 'Chart followed: {overall}% overall.',
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
  'baccarat.noMoreBets': 'The cards are out: no more bets.',
  'baccarat.alreadyOut': 'The cards are already out.',
  'baccarat.noSuchSpot': 'There is no such place on the table.',
  'baccarat.welcome': 'Place your bets on Player, Banker or Tie, then deal.',
  'baccarat.dealing': 'No more bets.',
  'baccarat.newShoe': { one: 'New shoe: {card} burns {count} card.', other: 'New shoe: {card} burns {count} cards.' },
  'baccarat.bankerOdds': '1 to 1, less 5%',
  'baccarat.pays': 'pays {odds}',
  'baccarat.spotKey': '{name}, pays {odds} (key {key})',
  'baccarat.spotKeyBet': '{name}, pays {odds}, {amount} on it (key {key})',
  'baccarat.bets': 'Bets',
  'baccarat.roads': 'Bead plate and big road of this shoe',
  'baccarat.tally': 'Banker {banker} · Player {player} · Tie {tie}',
  'baccarat.cardsLeft': { one: '{count} card left in the shoe', other: '{count} cards left in the shoe' },
  'baccarat.felt.playerPair': 'P PAIR',
  'baccarat.felt.bankerPair': 'B PAIR',
  'baccarat.letter.player': 'P',
  'baccarat.letter.banker': 'B',
  'baccarat.letter.tie': 'T',

  // Poker
  'poker.fold': 'You fold: the ante is lost.',
  'poker.notQualified': 'The dealer\'s {dealer} does not qualify (a pair of fours or better is needed): the ante is paid, the call comes back.',
  'poker.win': 'Your {player} beats the dealer\'s {dealer}.',
  'poker.lose': 'The dealer\'s {dealer} beats your {player}.',
  'poker.push': 'Your {player} ties the dealer\'s {dealer}.',
  'poker.winKicker': 'Your {player} beats the dealer\'s {dealer} on the kicker: {mine} against {theirs}.',
  'poker.loseKicker': 'The dealer\'s {dealer} beats your {player} on the kicker: {theirs} against {mine}.',
  'poker.ante': 'Ante',
  'poker.call': 'Call',
  'poker.bonus': 'AA bonus',
  'poker.pays': 'pays {odds} to 1',
  'poker.limits': 'Ante {min} to {anteMax}, AA bonus up to {bonusMax}; the call is twice the ante.',
  'poker.busy': 'Wait: the cards are still being turned.',
  'poker.callCost': 'The call costs {needed} chips; you hold {held}.',
  'poker.noHand': 'There is no hand in play: place an ante and deal.',
  'poker.chipsBetweenHands': 'Chips go down only between hands.',
  'poker.action.hint': 'Hint',
  'poker.showHints': 'Show the hint as I play',
  'poker.hintSays': 'The simple strategy says: {move}, {reason}.',
  'poker.reason.made': 'a pair or better with one of your cards',
  'poker.reason.flushDraw': 'four to a flush',
  'poker.reason.straightDraw': 'four to a straight',
  'poker.reason.highCard': 'a ten or higher in your hand',
  'poker.reason.nothing': 'nothing to draw to',
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

  // The statistics panel the card tables share.
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

  // Help, history and settings, the same at every table.
  'panel.help': 'How to play',
  'panel.history': 'History',
  'panel.settings': 'Settings',
  'panel.close': 'Close',
  'panel.rules': 'The rules at this table',
  'panel.payouts': 'Bets, payouts and the house edge',
  'panel.bet': 'Bet',
  'panel.pays': 'Pays',
  'panel.edge': 'House edge',
  'panel.edgeNote': 'The house edge is the share of each stake the casino keeps in the long run.',
  'panel.limits': 'Limits',
  'panel.keys': 'Keys',
  'panel.key': 'Key',
  'panel.does': 'Does',
  'panel.keyChips': 'Choose a chip',
  'panel.keyMute': 'Sound on or off',
  'panel.keyClose': 'Close this sheet',
  'panel.historyEmpty': 'No rounds played at this table yet.',
  'panel.settingsNote': 'These hold at every table.',
  'panel.speed': 'Dealing speed',
  'panel.speed.normal': 'Normal',
  'panel.speed.fast': 'Fast',
  'panel.speed.instant': 'Instant',
  'panel.volume': 'Volume',
  'panel.mute': 'Sound off',

  // Auto-play, the reality check and the daily loss limit, the same at every table.
  'action.auto': 'Auto-play',
  'action.autoStop': 'Stop auto-play',
  'auto.title': 'Auto-play',
  'auto.intro': 'Your last bets again, round after round. Any key stops it at once, and so does any decision a round needs from you: it never takes insurance, a surrender or a side bet you did not place.',
  'auto.rounds': 'Rounds',
  'auto.lossLimit': 'Stop once I have lost (chips, 0 for no limit)',
  'auto.winTarget': 'Stop once I have won (chips, 0 for no target)',
  'auto.bigWin': 'Stop after one round wins more than (chips, 0 for never)',
  'auto.start': 'Start auto-play',
  'auto.invalid': 'Limits are whole chips, 0 for none.',
  'auto.running': 'Auto-play is dealing: press any key to stop it.',
  'auto.on': { one: 'Auto-play: {count} round, any key stops it.', other: 'Auto-play: {count} rounds, any key stops it.' },
  'auto.round': 'Auto-play, round {n} of {count}.',
  'auto.stopped': { one: 'Auto-play stopped after {count} round ({net}): {why}', other: 'Auto-play stopped after {count} rounds ({net}): {why}' },
  'auto.why.done': 'every round you asked for is played.',
  'auto.why.key': 'you stopped it.',
  'auto.why.sheet': 'a sheet was opened over the table.',
  'auto.why.reality': 'the reality check came.',
  'auto.why.lossLimit': 'your loss limit of {amount} is reached.',
  'auto.why.winTarget': 'your win target of {amount} is reached.',
  'auto.why.bigWin': 'one round won {won}, more than {amount}.',
  'auto.why.decision': 'this round needs your decision.',
  'auto.why.table': 'the table did not deal.',
  'panel.autoPlayed': 'Auto',
  'panel.reality': 'Reality check',
  'panel.realityOff': 'Off',
  'panel.realityEvery': { one: 'Every {count} minute', other: 'Every {count} minutes' },
  'panel.dayLimit': 'Daily loss limit across the casino (chips, 0 for none)',
  'panel.dayLimitWhole': 'The limit is whole chips, 0 for none.',
  'panel.dayNet': 'Today\'s result across the casino: {result}.',
  'refuse.dayLimit': 'Your daily loss limit of {amount} is reached: new bets wait until tomorrow.',
  'reality.title': 'Reality check',
  'reality.text': { one: 'You have played for {count} minute at this sitting. Your result across the casino: {result}.',
    other: 'You have played for {count} minutes at this sitting. Your result across the casino: {result}.' },
  'reality.continue': 'Continue',
  'reality.lobby': 'Back to the Lobby',
  'action.again': 'Rebet & {action}',
  'history.baccarat': 'Player {player} ({playerTotal}), Banker {banker} ({bankerTotal})',
  'help.roulette.1': 'A single-zero wheel of 37 pockets. Pick a chip, then a spot on the layout or the racetrack; Spin sends the ball.',
  'help.roulette.2': 'A bet wins when the ball lands on a number it covers and is paid at the odds below, your stake coming back on top. Zero loses every outside bet.',
  'help.roulette.3': 'The racetrack places the called bets (Voisins, Tiers, Orphelins, Jeu Zéro) and the neighbours of any number, spread over the wheel as straight-up bets.',
  'help.baccarat.1': 'Eight decks. Bet on the Player, the Banker or a Tie, and on either pair; Deal lays out two cards a hand.',
  'help.baccarat.2': 'A hand counts its cards modulo ten (tens and faces count nothing). A third card is drawn by the fixed tableau: you never choose.',
  'help.baccarat.3': 'A winning Banker bet pays 1 to 1 less 5% commission. On a Tie, Player and Banker bets come back.',
  'help.blackjack.1': 'Six decks, shuffled again once the cut card is out. Put a bet in the circle and deal: two cards each, one of the dealer\'s face down.',
  'help.blackjack.2': 'Come nearer 21 than the dealer without going over. Hit takes a card, Stand keeps the hand, Double doubles the bet for one card more, Split plays a pair as two hands (up to four). The dealer draws to 16 and stands on every 17.',
  'help.blackjack.3': 'A blackjack pays 3 to 2, any other win 1 to 1, and a tie brings the bet back. Under a dealer ace you may insure for half your bet: insurance pays 2 to 1 when the dealer has blackjack. With a blackjack against a dealer ace you may take even money instead (E): paid 1 to 1 at once.',
  'help.poker.1': 'Casino Hold\'em against the dealer, from a deck shuffled for every hand. Place an ante (and the AA bonus if you like) and deal: two cards each and the flop.',
  'help.poker.2': 'Call with twice the ante to see the turn and the river, or fold and lose the ante. Your best five of seven cards meets the dealer\'s.',
  'help.poker.3': 'Below a pair of fours the dealer does not qualify: the ante is paid by the paytable and the call comes back. Otherwise the better hand wins, the ante by the paytable and the call 1 to 1; a tie brings both back. The AA bonus pays on your first five cards from a pair of aces up.',
  'history.blackjack': 'You {hands}, dealer {dealer}',
  'history.poker': 'You {player}, dealer {dealer}, board {board}',
  'blackjack.mainPays': '1 to 1, a blackjack 3 to 2',
  'poker.antePays': '1 to 1 up to 100 to 1',
  'poker.bonusPays': '7 to 1 up to 100 to 1',
  'poker.callEdge': 'Counted in the ante\'s',

  // The shell's reset, as its menu and shortcut read in this language.
  'broke.command': 'Table ▸ Reset Chips at This Table…',
  'broke.shortcut': 'Shift+Ctrl+Delete',
  'refuse.notTaken': 'The bet could not be taken.',
  'odds': '{odds} to 1',

  // Spots a table names by their id alone.
  'spot.bet': 'the bet',
  'spot.ante': 'the ante',
  'spot.bonus': 'the AA bonus',

  // Cards as a screen reader names them.
  'card.name': '{rank} of {suit}',
  'card.ranks': ['Two', 'Three', 'Four', 'Five', 'Six', 'Seven', 'Eight', 'Nine', 'Ten', 'Jack', 'Queen', 'King', 'Ace'],
  'card.suits': ['Clubs', 'Diamonds', 'Hearts', 'Spades'],
  'card.faceDown': 'Face-down card',

  // The frame every table shares.
  'frame.lobby': 'Lobby',
  'frame.lobbyTitle': 'Back to the lobby',
  'frame.bet': 'Bet',
  'frame.chips': 'Chips',
  'frame.soundTitle': 'Sound on or off (M)',
  'frame.soundOn': 'Sound on',
  'frame.soundOff': 'Sound off',
  'frame.stage': '{name} table',
  'frame.rack': 'Chip to bet',
  'frame.actions': 'Actions',
  'key.space': 'Space',
  'key.enter': 'Enter',
  'key.delete': 'Delete',
  'action.undo': 'Undo',
  'action.clear': 'Clear',
  'action.repeat': 'Repeat',
  'action.double': 'Double',
  'action.spin': 'Spin',
  'action.deal': 'Deal',

  // The lobby.
  'lobby.crest': 'Est. on your desktop',
  'lobby.tagline': 'Four tables, one evening. Choose your seat.',
  'lobby.roulette': 'European single-zero wheel: inside and outside bets, racetrack calls.',
  'lobby.blackjack': 'Six decks, dealer stands on soft 17, blackjack pays 3 to 2.',
  'lobby.baccarat': 'Punto banco from an eight-deck shoe: player, banker or tie.',
  'lobby.poker': 'Casino Hold\'em against the dealer: ante, see the flop, call or fold.',
  'lobby.yourChips': 'Your chips',
  'lobby.enter': 'Take a seat',
  'lobby.key': 'Ctrl+{key}',
  'lobby.footer': 'Play chips only. Each table keeps its own chips and starts with {fresh}.',
  'art.roulette': 'A roulette wheel',
  'art.blackjack': 'A blackjack table with an ace and a king',
  'art.blackjackPays': 'BLACKJACK PAYS 3 TO 2',
  'art.baccarat': 'A baccarat table with player, banker and tie boxes',
  'art.tie': 'TIE 8:1',
  'art.poker': 'A poker table with five community cards',

  // The racetrack's spread, favourite bets and the statistics board at roulette.
  'help.roulette.4': 'Below the racetrack, − and + set how many pockets either side of a number its neighbours bet covers (one to nine). Favourites keeps the bets on the layout under a name, to place them again with one click. The statistics count the last 500 spins.',
  'roulette.neighboursSpread': { one: 'Neighbours of {n}: {n} and one pocket either side', other: 'Neighbours of {n}: {n} and {count} pockets either side' },
  'roulette.spread': 'Neighbours',
  'roulette.spreadGroup': 'Neighbours either side of the number',
  'roulette.spreadFewer': 'Fewer neighbours',
  'roulette.spreadMore': 'More neighbours',
  'roulette.spreadSet': { one: 'Neighbours: one pocket either side of the number you choose.', other: 'Neighbours: {count} pockets either side of the number you choose.' },
  'roulette.favourites': 'Favourites',
  'roulette.favouritesTitle': 'Favourite bets',
  'roulette.favouritesNote': 'Name the bets on the layout to keep them; a favourite then goes down again with one click.',
  'roulette.favouriteName': 'Name',
  'roulette.favouriteSave': 'Save the layout',
  'roulette.favouriteSaved': '{name}: saved.',
  'roulette.favouritePlace': 'Place {name}: {bets}, {chips}',
  'roulette.favouriteChips': { one: '{count} chip', other: '{count} chips' },
  'roulette.favouriteRemove': 'Delete',
  'roulette.favouriteRemoveName': 'Delete {name}',
  'roulette.favouriteRemoved': '{name}: deleted.',
  'roulette.favouritesNone': 'No favourites yet.',
  'roulette.favouriteGone': 'That favourite is no longer kept.',
  'roulette.favouriteRefused.name': 'Give the layout a name of up to {length} characters.',
  'roulette.favouriteRefused.empty': 'Place your bets on the layout first: a favourite keeps them as they lie.',
  'roulette.favouriteRefused.full': 'You keep {most} favourites already: delete one first.',
  'roulette.stats': { one: 'Statistics, {count} spin', other: 'Statistics, {count} spins' },
  'roulette.statsList': { one: 'Statistics of the last spin', other: 'Statistics of the last {count} spins' },
  'roulette.statsDozens': 'Dozens',
  'roulette.statsColumns': 'Columns',
  'roulette.statsZero': 'Zero',
  'roulette.statsCount': { one: '{name}: {share}, {count} spin', other: '{name}: {share}, {count} spins' },

  // The derived roads at baccarat.
  'help.baccarat.4': 'Right of the table, the derived roads (big eye boy, small road, cockroach pig) mark red where the big road repeats its pattern and blue where it breaks it; Next shows the mark each would take if the banker or the player won the coup. They describe the shoe so far: every coup is dealt fresh.',
  'baccarat.derived': 'Derived roads',
  'baccarat.road.bigEyeBoy': 'Big eye boy',
  'baccarat.road.smallRoad': 'Small road',
  'baccarat.road.cockroachPig': 'Cockroach pig',
  'baccarat.mark.red': 'red',
  'baccarat.mark.blue': 'blue',
  'baccarat.roadEmpty': '{road}: no marks yet.',
  'baccarat.roadMarks': { one: '{road}: one mark, {latest}.', other: '{road}: {count} marks, ending {latest}.' },
  'baccarat.next': 'Next',
  'baccarat.nextIf': 'If {side} wins next: {marks}.',
  'baccarat.nextMark': '{road} {mark}',
  'baccarat.nextNone': 'no road marks yet',

  // The lobby's evening at a glance.
  'lobby.casino': 'The whole casino',
  'lobby.casinoChips': 'Chips at all tables',
  'lobby.casinoRounds': 'Rounds played',
  'lobby.casinoRoundsTonight': '{count} this evening',
  'lobby.casinoResult': 'Result this evening',
  'lobby.casinoTake': 'House\'s expected take',
  'lobby.luck.none': 'No rounds yet this evening. Once you play, this shows your luck against the odds.',
  'lobby.luck.with': 'By the odds, the house would keep about {take} of what you staked this evening. Your result is {net}: luck has been with you by {luck}.',
  'lobby.luck.against': 'By the odds, the house would keep about {take} of what you staked this evening. Your result is {net}: luck has been against you by {luck}.',
  'lobby.luck.even': 'By the odds, the house would keep about {take} of what you staked this evening. Your result is {net}: just what the odds expect.',
  'lobby.evening': 'This evening',
  'lobby.eveningResult': { one: '{net} in {count} round', other: '{net} in {count} rounds' },
  'lobby.eveningNone': 'No rounds yet',
  'lobby.noRounds': 'No rounds played here yet',
  'lobby.chartOne': 'Your chips after the one round played here: {endAmount}.',
  'lobby.chart': 'Your chips over the last {count} rounds here: from {startAmount} to {endAmount}, between {min} and {max}.',
  'lobby.chartCaption': { one: '{count} round', other: 'Last {count} rounds' },
  'lobby.inPlay.spin': 'The ball is rolling: {stake} on the layout',
  'lobby.inPlay.hand': 'A hand is in play: {stake} at stake',
  // Blackjack's table options: late surrender and the side bets.
  'blackjack.option.surrender': 'Late surrender: give up a hand on its first two cards for half the bet (from the next hand)',
  'blackjack.action.surrender': 'Surrender',
  'blackjack.move.surrender': 'surrender',
  'blackjack.outcome.surrender': 'surrendered',
  'blackjack.surrender': '{hand}: surrendered; half the bet, {held}, is lost and the rest comes back.',
  'blackjack.surrenderOff': 'Surrender is off at this table: turn it on in Settings.',
  'blackjack.surrenderNextHand': 'Surrender was turned on during this hand: it is offered from the next hand.',
  'blackjack.surrenderFirstTwo': 'You can surrender only on your first two cards, before any other move, and never after a split.',
  'blackjack.mainSurrender': 'Your hand, with late surrender',
  'blackjack.surrenderPays': 'as the main bet; a surrender gives half the bet back',
  'help.blackjack.surrender': 'With late surrender turned on in Settings, once the dealer has checked for blackjack you may give up a hand on its first two cards (Q), unless it was split: half the bet comes back.',
  'blackjack.side.twentyOnePlusThree': '21+3',
  'blackjack.side.perfectPairs': 'Perfect Pairs',
  'blackjack.spot.twentyOnePlusThree': '21+3: add the selected chip',
  'blackjack.spot.perfectPairs': 'Perfect Pairs: add the selected chip',
  'blackjack.sideHand.flush': 'a flush',
  'blackjack.sideHand.straight': 'a straight',
  'blackjack.sideHand.trips': 'three of a kind',
  'blackjack.sideHand.straightFlush': 'a straight flush',
  'blackjack.sideHand.suitedTrips': 'three of a kind in one suit',
  'blackjack.sideHand.mixed': 'a mixed pair',
  'blackjack.sideHand.coloured': 'a coloured pair',
  'blackjack.sideHand.perfect': 'a perfect pair',
  'blackjack.sideWon': '{bet}: {hand}, wins {won}.',
  'blackjack.sideLost': '{bet}: nothing, loses {stake}.',
  'blackjack.sideNeedsBet': 'A side bet goes only beside a bet in the main circle: place one there first.',
  'blackjack.twentyOnePlusThreePays': 'flush 5, straight 10, three of a kind 30, straight flush 40, three of a kind in one suit 100 to 1',
  'blackjack.perfectPairsPays': 'mixed pair 6, coloured pair 12, perfect pair 25 to 1',
  'help.blackjack.sides': 'Beside the bet you may place 21+3 (F) and Perfect Pairs (A), 1 to 100 chips each, settled on the first cards: 21+3 reads your two cards and the dealer\'s up card as a poker hand, Perfect Pairs your two cards as a pair.',
  'blackjack.sideLimits': 'Side bets {min} to {max} each, beside a main bet.',
  'blackjack.yourMove': '{hand}, {total}: you may {moves}.',
  'blackjack.choice.hit': 'hit (H)',
  'blackjack.choice.stand': 'stand (S)',
  'blackjack.choice.double': 'double (D) for {amount} more',
  'blackjack.choice.split': 'split (P) for {amount} more',
  'blackjack.choice.surrender': 'surrender (Q) and get {amount} back',

  // The tables' own rules, chosen in Settings, and the new bets.
  'panel.tableOptions': 'At this table',
  'roulette.laPartage': 'French rules: La Partage',
  'roulette.laPartageNote': 'When the ball lands on zero, half of every even-chance bet (red, black, odd, even, 1–18, 19–36) comes back.',
  'roulette.laPartageOn': 'La Partage from the next spin: zero gives back half of every even chance.',
  'roulette.laPartageOff': 'La Partage is off from the next spin: zero takes the even chances.',
  'roulette.partageBack': 'La Partage: half of every even chance comes back.',
  'roulette.partageNote': 'La Partage gives back {amount}',
  'roulette.partageBet': 'Even chance under La Partage',
  'help.roulette.5': 'Finales: en plein puts one chip on every number ending in the digit you choose (four numbers, or three for 7, 8 and 9); à cheval on two digits puts one chip on each split joining numbers that end in them, and a straight up where no split does. With French rules chosen in Settings, zero gives back half of every even-chance bet.',
  'roulette.finales': 'Finales',
  'roulette.finaleFirst': 'Digit',
  'roulette.finaleSecond': 'Second digit',
  'roulette.finaleEnPlein': 'En plein',
  'roulette.finaleACheval': 'À cheval',
  'roulette.finaleEnPleinName': 'Finale en plein {digit}',
  'roulette.finaleAChevalName': 'Finale à cheval {first}/{second}',
  'roulette.finaleNeedsDigit': 'A finale en plein is on one digit, 0 to 9.',
  'roulette.finaleNeedsTwo': 'A finale à cheval is on two different digits.',
  'roulette.spreadLeast': 'The neighbours already cover one pocket either side, the fewest.',
  'roulette.spreadMost': 'The neighbours already cover nine pockets either side, the most.',
  'baccarat.noCommission': 'No commission',
  'baccarat.noCommissionNote': 'A winning Banker bet is paid 1 to 1 without commission, but a Banker win with a total of 6 pays 1 to 2.',
  'baccarat.noCommissionOn': 'No commission from the next coup: Banker pays 1 to 1, half on a win with 6.',
  'baccarat.noCommissionOff': 'Commission from the next coup: Banker pays 1 to 1 less 5%.',
  'baccarat.bankerNoCommissionOdds': '1 to 1, 6 pays 1 to 2',
  'baccarat.bankerNoCommission': 'Banker, no commission',
  'baccarat.sixHalf': 'a win with 6 pays half',
  'baccarat.spot.dragonPlayer': 'Dragon Bonus Player',
  'baccarat.spot.dragonBanker': 'Dragon Bonus Banker',
  'baccarat.spot.eitherPair': 'Either pair',
  'baccarat.dragonOdds': 'up to 30 to 1',
  'baccarat.dragonPays': 'natural win 1 to 1; win by 9: 30, 8: 10, 7: 6, 6: 4, 5: 2, 4: 1 to 1',
  'baccarat.naturalTieBack': 'a natural tie',
  'help.baccarat.5': 'Side bets: Dragon Bonus on the Player or the Banker wins even money on a natural win, comes back on a natural tie, and on any other win pays by the margin: 30 to 1 for 9 points, 10 for 8, 6 for 7, 4 for 6, 2 for 5, 1 for 4; a smaller margin loses. Either pair pays 5 to 1 when the first two cards of either hand are a pair. No commission, chosen in Settings, pays a winning Banker bet 1 to 1, but 1 to 2 on a win with 6.',
  // The squeeze at baccarat: the player turns the cards of the hand they backed most.
  'baccarat.squeeze': 'The squeeze',
  'baccarat.squeezeNote': 'When your larger bet is on Player or on Banker, that hand\'s cards arrive face down and you turn each one yourself.',
  'baccarat.squeezeOn': 'The squeeze from the next coup: the hand you back most comes face down for you to turn.',
  'baccarat.squeezeOff': 'No squeeze from the next coup: every card is turned as it lands.',
  'baccarat.squeezeTitle': '{who}: card {n}, face down',
  'baccarat.squeezeSay': '{who}\'s card {n} is face down: drag it up, press V to turn it a little or F to turn it over.',
  'baccarat.squeezeHow': 'Drag the card up, or press V to turn it a little.',
  'baccarat.squeezeCard': '{who}\'s card, turned {percent}%: turn it further',
  'baccarat.squeezeStep': 'Turn the squeezed card a little',
  'baccarat.squeezeAll': 'Turn it over',
  'help.baccarat.6': 'The squeeze, chosen in Settings: when your larger bet is on Player or on Banker, that hand\'s cards come face down and wait for you. Drag a card up to turn it slowly, press V to turn it a step, or O to turn it over. The coup is already dealt: the squeeze only chooses how you see it.',
  // Blackjack at up to three seats, each with its own bets, played from the right.
  'blackjack.action.seats': 'Seats: {count}',
  'blackjack.action.nextSeat': 'Next seat',
  'blackjack.seatN': 'Seat {seat}',
  'blackjack.seatHandN': 'Seat {seat}, hand {n}',
  'blackjack.seatSays': 'Seat {seat}, {text}',
  'blackjack.seatSpot': '{spot} at seat {seat}',
  'blackjack.seatsRange': 'You may play 1 to {seats} seats.',
  'blackjack.seatsOne': 'One seat: your chips go on the middle circle.',
  'blackjack.seatsNow': '{count} seats open, played from the right. B, F and A now bet on seat {seat}; J moves them to the next seat.',
  'blackjack.betSeat': 'B, F and A now bet on seat {seat}.',
  'blackjack.oneSeat': 'Only one seat is open: press W to open another.',
  'blackjack.seatNoBet': 'Seat {seat} has no bet: place one in its circle, or close the seat with W.',
  'blackjack.seatClosed': 'There are chips for seat {seat}, which is closed: open it with W, or clear the bets.',
  'blackjack.namedHandLabel': '{hand}: {total}',
  'blackjack.namedHandLabelOutcome': '{hand}: {total}, {outcome}',
  'history.blackjackSeats': '{hands}; dealer {dealer}',
  'help.blackjack.seats': 'You may play up to {seats} seats at once (W opens one more; after the last, back to one). Each seat has its own bet and side bets within the same limits; B, F and A bet on the seat chosen with J, or click a seat\'s circle. The seats are played from the right, each hand in turn, and each may split, double, surrender or insure on its own.',
};

const english = new Intl.PluralRules('en');

/** Every language's messages and plural rule (a form's name or number for a count), English first. */
export const CATALOGUES = { en: { plural: (n) => english.select(n), messages: EN }, ...generated };

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
setNumberLocale(language);

/** For tests and a later language menu: switch every message and number. */
export function setLanguage(tag) {
  language = chooseLanguage([tag]);
  setNumberLocale(language);
  return language;
}

/** The language every message is now in: 'en', 'de'. */
export const currentLanguage = () => language;

/**
 * Fills a page's own markup: an element's text from its `data-i18n` key (with
 * the parameters in `data-i18n-params`, JSON), its aria-label and title from `data-i18n-label` and `data-i18n-title`; and the
 * page's `lang` follows the language chosen.
 */
export function fillPage(root = document) {
  root.documentElement?.setAttribute('lang', language);
  for (const el of root.querySelectorAll('[data-i18n]')) {
    el.textContent = t(el.dataset.i18n, el.dataset.i18nParams ? JSON.parse(el.dataset.i18nParams) : {});
  }
  for (const el of root.querySelectorAll('[data-i18n-label]')) el.setAttribute('aria-label', t(el.dataset.i18nLabel));
  for (const el of root.querySelectorAll('[data-i18n-title]')) el.title = t(el.dataset.i18nTitle);
}

/** The catalogue that holds `key`: the player's language's, or English. */
function holder(key) {
  const own = CATALOGUES[language];
  if (Object.hasOwn(own.messages, key)) return own;
  return Object.hasOwn(EN, key) ? CATALOGUES.en : null;
}

/** The raw entry under `key`, from the player's language or English. */
export function entry(key) {
  return holder(key)?.messages[key] ?? null;
}

/**
 * The message under `key` with its places filled. Parameters ending in
 * `amount` (or `Amount`), `stake`, `won`, `held`, `min`, `max` or `needed` that are numbers
 * are cents and are formatted as chips; `count` picks the plural form.
 */
export function t(key, params = {}) {
  const catalogue = holder(key);
  if (!catalogue) {
    console.warn(`Velmar Casino: no message ${key}`);
    return key;
  }
  let text = catalogue.messages[key];
  if (typeof text === 'object' && !Array.isArray(text)) {
    text = text[catalogue.plural(params.count ?? 0)] ?? Object.values(text).at(-1);
  }
  return String(text).replace(/\{(\w+)\}/g, (whole, name) => {
    if (!Object.hasOwn(params, name)) return whole;
    const v = params[name];
    return typeof v === 'number' && CENTS.test(name) ? formatChips(v) : String(v);
  });
}

const CENTS = /(amount|Amount|stake|won|held|min|max|Max|needed|fresh|value)$/;
