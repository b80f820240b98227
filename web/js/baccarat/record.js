// SPDX-License-Identifier: GPL-3.0-or-later
// What the baccarat table says of a coup: its record for the history and the
// lobby, the sentences of its result, and its line in the history sheet.
import { t } from '../kit/messages.js';
import { CENTS_PER_CHIP } from '../kit/money.js';
import { roundRecord, stakesOf } from '../kit/history.js';
import { buildResult } from '../kit/results.js';
import { cardLabel } from '../kit/cards.js';

const ORDER = ['player', 'banker', 'tie', 'playerPair', 'bankerPair', 'dragonPlayer', 'dragonBanker', 'eitherPair'];

export const spotName = (spot) => t(`baccarat.spot.${spot}`);

// The kind a bet is recorded by: the banker without commission has its own edge.
const recordedKind = (kind, noCommission) => (noCommission && kind === 'banker' ? 'bankerNoCommission' : kind);


/** A settled coup, { coup, bets in chips, paid in cents, noCommission }, as the history keeps it. */
export function recordOf(done, bankroll, at) {
  const { coup } = done;
  const bets = Object.entries(done.bets).map(([kind, chips]) => ({ kind: recordedKind(kind, done.noCommission),
    staked: chips * CENTS_PER_CHIP, returned: done.paid[kind] ?? 0 }));
  return roundRecord({ table: 'baccarat', at, bankroll, bets,
    shown: { player: coup.player, banker: coup.banker, winner: coup.winner } });
}

/** `bets` in whole chips by spot, `paid` the cents each returned. */
export function resultOf({ coup, bets, paid, noCommission = false }) {
  const high = Math.max(coup.playerTotal, coup.bankerTotal), low = Math.min(coup.playerTotal, coup.bankerTotal);
  const what = coup.winner === 'tie' ? 'Tie' : coup.winner === 'player' ? 'Player' : 'Banker';
  const scene = [t(`baccarat.${coup.natural ? `natural${what}` : what.toLowerCase()}`, { high, low, total: high })];
  const list = ORDER.filter((s) => bets[s]).map((spot) => {
    const staked = bets[spot] * CENTS_PER_CHIP, returned = paid[spot] ?? 0;
    let note = '';
    if (spot === 'banker' && returned > staked && !noCommission) note = t('baccarat.commission');
    else if (spot === 'banker' && noCommission && coup.winner === 'banker' && coup.bankerTotal === 6) note = t('baccarat.sixHalf');
    else if ((spot === 'banker' || spot === 'player') && coup.winner === 'tie') note = t('baccarat.tieBack');
    else if (spot.startsWith('dragon') && returned === staked) note = t('baccarat.naturalTieBack');
    return { name: spotName(spot), staked, returned, note };
  });
  const net = list.reduce((s, b) => s + b.returned - b.staked, 0);
  return buildResult({ net, scene, bets: list });
}

/** A history entry as the history sheet lists it: what happened and the bets. */
export const describeEntry = (entry) => ({
  what: Array.isArray(entry.player) && Array.isArray(entry.banker)
    ? t('history.baccarat', { player: entry.player.map(cardLabel).join(' '), playerTotal: entry.playerTotal,
      banker: entry.banker.map(cardLabel).join(' '), bankerTotal: entry.bankerTotal }) : '',
  bets: stakesOf(entry).map(({ spot, chips }) => `${spot === 'bankerNoCommission' ? t('baccarat.bankerNoCommission') : spotName(spot)} ${chips}`).join(', '),
});
