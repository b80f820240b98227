// SPDX-License-Identifier: GPL-3.0-or-later
// What the roulette table says of a spin: its record for the history and the
// lobby, the sentences of its result, and its line in the history sheet.
import { t } from '../kit/messages.js';
import { roundRecord, stakesOf } from '../kit/history.js';
import { buildResult } from '../kit/results.js';
import { colorOf, partageKind, EVEN_CHANCES } from '../rules/roulette.js';
import { SPOTS } from './game.js';

/** "Straight up 17", "Split 17/20", "Dozen 13–24", "Red". */
export function spotName(kind, numbers) {
  const span = `${numbers[0]}–${numbers.at(-1)}`;
  const joined = numbers.join('/');
  const which = kind === 'column' ? (((numbers[0] - 1) % 3) + 1) : '';
  const shown = ['street', 'sixLine', 'dozen'].includes(kind) ? span : joined;
  return t(`roulette.spot.${kind}`, { numbers: shown, which });
}

/**
 * A settled spin, { number, bets: [{ spot, kind, staked, returned }], laPartage }, as the history keeps it.
 * Under La Partage an even chance is recorded by its own kind, whose edge is half the usual.
 */
export function recordOf(spin, bankroll, at) {
  const bets = spin.laPartage ? spin.bets.map((b) => ({ ...b, kind: partageKind(b.kind) })) : spin.bets;
  return roundRecord({ table: 'roulette', at, bankroll, shown: { number: spin.number }, bets });
}

// Whether zero handed back half of an even chance in this spin.
const halfBack = (number, laPartage, bets) => laPartage && number === 0 &&
  bets.some((b) => EVEN_CHANCES.includes(b.kind.replace(/LaPartage$/, '')) && b.returned > 0);

/** `bets`: [{ kind, numbers, staked, returned }] in cents, as the table settled them. */
export function resultOf({ number, colour, bets, laPartage = false }) {
  const staked = bets.reduce((s, b) => s + b.staked, 0);
  const returned = bets.reduce((s, b) => s + b.returned, 0);
  const scene = [number === 0 ? t('roulette.landedZero')
    : t('roulette.landed', { number, colour: t(`roulette.${colour}`) })];
  const partage = halfBack(number, laPartage, bets);
  if (partage) scene.push(t('roulette.partageBack'));
  else if (!returned && bets.length) scene.push(t('roulette.nothingWon'));
  return buildResult({
    net: returned - staked, scene, winnersOnly: true,
    bets: bets.map((b) => ({ name: spotName(b.kind, b.numbers), staked: b.staked, returned: b.returned,
      note: partage && b.returned > 0 && b.returned < b.staked ? t('roulette.partageNote', { amount: b.returned }) : '' })),
  });
}

// Bets ([spot, chips] pairs) as the history and the favourites list them: "Red 5, Straight up 17 1".
export function describeBets(pairs) {
  return pairs.map(([spot, chips]) => {
    const bet = SPOTS.get(spot);
    return bet ? `${spotName(bet.kind, bet.numbers)} ${chips}` : '';
  }).filter(Boolean).join(', ');
}

/** A history entry as the history sheet lists it: what happened and the bets. */
export const describeEntry = (entry) => ({
  what: entry.number === 0
    ? [t('roulette.landedZero'), ...(halfBack(0, entry.laPartage === true, entry.bets ?? []) ? [t('roulette.partageBack')] : [])].join(' ')
    : t('roulette.landed', { colour: t(`roulette.${colorOf(entry.number)}`), number: entry.number }),
  bets: describeBets(stakesOf(entry).map(({ spot, chips }) => [spot, chips])),
});
