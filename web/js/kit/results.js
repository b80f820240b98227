// SPDX-License-Identifier: GPL-3.0-or-later
// What a settled round says to the player, the same way at every table: the
// net result first, its tone taken from its sign, then what happened and each
// bet's own outcome in plain words. Pure: the tables hand in settled rounds
// and show what comes back; node tests read the same sentences.
import { t, entry } from './messages.js';
import { CENTS_PER_CHIP } from './money.js';
import { handValue, isBlackjack, settleInsurance } from '../rules/blackjack.js';
import { settleDetail, ANTE_PAYS } from '../rules/poker.js';

/** 'win', 'loss' or 'even': the colour a result is shown in. */
export const toneOf = (net) => (net > 0 ? 'win' : net < 0 ? 'loss' : 'even');

const count = (cents) => cents / CENTS_PER_CHIP;

export function netLine(net) {
  if (net > 0) return t('net.win', { amount: net, count: count(net) });
  if (net < 0) return t('net.loss', { amount: -net, count: count(-net) });
  return t('net.even');
}

/** One bet's outcome: { name, staked, returned, note? } in cents. */
export function betLine({ name, staked, returned, note = '' }) {
  const kind = returned > staked ? 'won' : returned === staked ? 'back' : 'lost';
  return t(`bet.${kind}${note ? 'Note' : ''}`, { name, stake: staked, won: returned - staked, note });
}

/**
 * The whole result: `scene` says what happened (the pocket, the hands), `bets`
 * lists each bet. With `winnersOnly`, the bets that lost are summed in one
 * line, as a roulette player with twenty chips down wants it.
 */
export function buildResult({ net, scene = [], bets = [], winnersOnly = false }) {
  const lines = [...scene];
  const shown = winnersOnly ? bets.filter((b) => b.returned > 0) : bets;
  for (const b of shown) lines.push(betLine(b));
  if (winnersOnly) {
    const lost = bets.filter((b) => b.returned === 0).reduce((s, b) => s + b.staked, 0);
    if (lost && shown.length) lines.push(t('bet.othersLost', { amount: lost, count: bets.length - shown.length }));
  }
  const headline = netLine(net);
  return { net, tone: toneOf(net), headline, lines, text: [headline, ...lines].join(' ') };
}

// ---------- Roulette ----------

/** "Straight up 17", "Split 17/20", "Dozen 13–24", "Red". */
export function rouletteSpotName(kind, numbers) {
  const span = `${numbers[0]}–${numbers.at(-1)}`;
  const joined = numbers.join('/');
  const which = kind === 'column' ? (((numbers[0] - 1) % 3) + 1) : '';
  const shown = ['street', 'sixLine', 'dozen'].includes(kind) ? span : joined;
  return t(`roulette.spot.${kind}`, { numbers: shown, which });
}

/** `bets`: [{ kind, numbers, staked, returned }] in cents, as the table settled them. */
export function rouletteResult({ number, colour, bets }) {
  const staked = bets.reduce((s, b) => s + b.staked, 0);
  const returned = bets.reduce((s, b) => s + b.returned, 0);
  const scene = [number === 0 ? t('roulette.landedZero')
    : t('roulette.landed', { number, colour: t(`roulette.${colour}`) })];
  if (!returned && bets.length) scene.push(t('roulette.nothingWon'));
  return buildResult({
    net: returned - staked, scene, winnersOnly: true,
    bets: bets.map((b) => ({ name: rouletteSpotName(b.kind, b.numbers), staked: b.staked, returned: b.returned })),
  });
}

// ---------- Blackjack ----------

/**
 * A hand's total as it is shown: both values of a soft total ("7 / 17") only
 * while the hand can still take a card, the final value once it cannot.
 */
export function handTotalText(cards, open = false) {
  const { total, soft } = handValue(cards);
  return open && soft && total < 21 ? `${total - 10} / ${total}` : String(total);
}

const RETURN = { blackjack: (h) => h.bet + Math.floor((h.bet * 3) / 2), win: (h) => 2 * h.bet, push: (h) => h.bet, lose: () => 0, bust: () => 0 };

/** A settled round of blackjack: every hand of a split and the insurance. */
export function blackjackResult(round) {
  // Even money ends the round before the dealer looks: the hole card stays unsaid.
  if (round.evenMoney) return buildResult({ net: round.net, scene: [t('blackjack.evenMoneyPaid', { won: round.net })] });
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
    return t(`blackjack.${key}`, { hand: name, total: own, dealer, stake: hand.bet, won: back - hand.bet });
  });
  if (round.insurance) {
    const net = settleInsurance(round.insurance, round.dealer);
    lines.push(net > 0 ? t('blackjack.insuranceWon', { won: net }) : t('blackjack.insuranceLost', { stake: round.insurance }));
  }
  return buildResult({ net: round.net, scene: lines });
}

// ---------- Baccarat ----------

const BACCARAT_ORDER = ['player', 'banker', 'tie', 'playerPair', 'bankerPair'];

export const baccaratSpotName = (spot) => t(`baccarat.spot.${spot}`);

/** `bets` in whole chips by spot, `paid` the cents each returned. */
export function baccaratResult({ coup, bets, paid }) {
  const high = Math.max(coup.playerTotal, coup.bankerTotal), low = Math.min(coup.playerTotal, coup.bankerTotal);
  const what = coup.winner === 'tie' ? 'Tie' : coup.winner === 'player' ? 'Player' : 'Banker';
  const scene = [t(`baccarat.${coup.natural ? `natural${what}` : what.toLowerCase()}`, { high, low, total: high })];
  const list = BACCARAT_ORDER.filter((s) => bets[s]).map((spot) => {
    const staked = bets[spot] * CENTS_PER_CHIP, returned = paid[spot] ?? 0;
    let note = '';
    if (spot === 'banker' && returned > staked) note = t('baccarat.commission');
    else if ((spot === 'banker' || spot === 'player') && coup.winner === 'tie') note = t('baccarat.tieBack');
    return { name: baccaratSpotName(spot), staked, returned, note };
  });
  const net = list.reduce((s, b) => s + b.returned - b.staked, 0);
  return buildResult({ net, scene, bets: list });
}

// ---------- Poker ----------

/** "three of a kind, threes", "flush, king high"; capitalised at the start of a line. */
export function pokerHandName({ category, score }, capital = false) {
  const r1 = (score >> 16) & 15, r2 = (score >> 12) & 15;
  const rank = entry('rank'), ranks = entry('ranks');
  const name = t(`hand.${category}`, { r1: rank[r1], r1s: ranks[r1], r2s: ranks[r2] });
  return capital ? name[0].toLocaleUpperCase() + name.slice(1) : name;
}

/** A finished hand of Casino Hold'em, called or folded. */
export function pokerResult(hand) {
  const d = settleDetail({ ante: hand.ante, call: hand.call, aaBonus: hand.aaBonus, folded: hand.folded },
    [...hand.player, ...hand.board], [...hand.dealer, ...hand.board]);
  const player = pokerHandName(d.player), dealer = pokerHandName(d.dealer);
  const scene = [{
    fold: () => t('poker.fold'),
    'dealer does not qualify': () => t('poker.notQualified', { dealer }),
    win: () => t('poker.win', { player, dealer }),
    lose: () => t('poker.lose', { player, dealer }),
    push: () => t('poker.push', { player, dealer }),
  }[d.outcome]()];
  const odds = ANTE_PAYS[d.player.category];
  const bets = [{ name: t('poker.ante'), staked: hand.ante, returned: d.ante,
    note: d.ante > hand.ante && odds > 1 ? t('poker.pays', { odds }) : '' }];
  if (!hand.folded) bets.push({ name: t('poker.call'), staked: hand.call, returned: d.call });
  if (hand.aaBonus) {
    bets.push({ name: t('poker.bonus'), staked: hand.aaBonus, returned: d.bonus,
      note: d.bonus ? t('poker.pays', { odds: d.bonusOdds }) : '' });
  }
  const net = d.returned - hand.ante - hand.call - hand.aaBonus;
  return buildResult({ net, scene, bets });
}
