// SPDX-License-Identifier: GPL-3.0-or-later
// What a settled round says to the player, the same way at every table: the
// net result first, its tone taken from its sign, then what happened and each
// bet's own outcome in plain words. Pure: the tables hand in settled rounds
// and show what comes back; node tests read the same sentences. Each table's
// record.js says what its own round showed.
import { t } from './messages.js';
import { CENTS_PER_CHIP } from './money.js';

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
