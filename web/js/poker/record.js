// SPDX-License-Identifier: GPL-3.0-or-later
// What the Casino Hold'em table says of a hand: its record for the history
// and the lobby, the sentences of its result, and its line in the history sheet.
import { t, entry as catalogue } from '../kit/messages.js';
import { formatChips } from '../kit/money.js';
import { roundRecord } from '../kit/history.js';
import { buildResult } from '../kit/results.js';
import { cardsText } from '../kit/cards.js';
import { settleDetail, ANTE_PAYS } from '../rules/poker.js';

/** "three of a kind, threes", "flush, king high"; capitalised at the start of a line. */
export function handName({ category, score }, capital = false) {
  const r1 = (score >> 16) & 15, r2 = (score >> 12) & 15;
  const rank = catalogue('rank'), ranks = catalogue('ranks');
  const name = t(`hand.${category}`, { r1: rank[r1], r1s: ranks[r1], r2s: ranks[r2] });
  return capital ? name[0].toLocaleUpperCase() + name.slice(1) : name;
}

// The ranks each hand's name already gives: the leading one, and the second
// for two pair and a full house.
const NAMED = (category) => (category === 2 || category === 6 ? 2 : 1);

/**
 * Where two hands of one category and the same name part, the rank of each
 * that decides it (the kicker, or a flush's lower card); null when the names
 * already differ or the hands are equal.
 */
export function decidingRanks(a, b) {
  if (a.category !== b.category || a.score === b.score) return null;
  for (let i = 0, shift = 16; shift >= 0; i++, shift -= 4) {
    const ra = (a.score >> shift) & 15, rb = (b.score >> shift) & 15;
    if (ra !== rb) return i < NAMED(a.category) ? null : [ra, rb];
  }
  return null;
}

const detailOf = (hand) => settleDetail({ ante: hand.ante, call: hand.call, aaBonus: hand.aaBonus, folded: hand.folded },
  [...hand.player, ...hand.board], [...hand.dealer, ...hand.board]);

/** A settled hand: { ante, aaBonus, call, folded, player, dealer, board }. */
export function recordOf(hand, bankroll, at) {
  const d = detailOf(hand);
  const bets = [{ kind: 'ante', staked: hand.ante, returned: d.ante }];
  if (!hand.folded) bets.push({ kind: 'call', staked: hand.call, returned: d.call });
  if (hand.aaBonus) bets.push({ kind: 'aaBonus', staked: hand.aaBonus, returned: d.bonus });
  return roundRecord({ table: 'poker', at, bankroll, bets,
    shown: { player: hand.player, dealer: hand.dealer, board: hand.board, folded: !!hand.folded } });
}

/** A finished hand, called or folded. */
export function resultOf(hand) {
  const d = detailOf(hand);
  const player = handName(d.player), dealer = handName(d.dealer);
  // Hands that read alike say what set them apart, so the line never has a
  // pair of sixes beating a pair of sixes with nothing more said.
  const kicker = decidingRanks(d.player, d.dealer);
  const rank = catalogue('rank');
  const sides = kicker && { player, dealer, mine: rank[kicker[0]], theirs: rank[kicker[1]] };
  const scene = [{
    fold: () => t('poker.fold'),
    'dealer does not qualify': () => t('poker.notQualified', { dealer }),
    win: () => (sides ? t('poker.winKicker', sides) : t('poker.win', { player, dealer })),
    lose: () => (sides ? t('poker.loseKicker', sides) : t('poker.lose', { player, dealer })),
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

/** A history entry as the history sheet lists it: what happened and the bets. */
export const describeEntry = (entry) => ({
  what: Array.isArray(entry.player) && Array.isArray(entry.dealer) && Array.isArray(entry.board)
    ? t('history.poker', { player: cardsText(entry.player), dealer: cardsText(entry.dealer), board: cardsText(entry.board) }) : '',
  bets: [['poker.ante', entry.ante], ['poker.call', entry.call], ['poker.bonus', entry.aaBonus]]
    .filter(([, cents]) => Number.isSafeInteger(cents) && cents > 0).map(([k, cents]) => `${t(k)} ${formatChips(cents)}`).join(', '),
});
