// SPDX-License-Identifier: GPL-3.0-or-later
// Auto-play: the last bets again, round after round, for as many rounds as
// the player asked. It stops at once when asked to (a key), at the player's
// loss limit, win target or a single win above a size, when the bets can no
// longer be made (the chips run dry, the daily limit) and whenever a round
// needs the player: it never makes a decision of its own, so it never takes
// insurance, a surrender or a side bet that was not on the last slip.
// Pure: the page hands in how to deal and how to wait; node tests hand in fakes.
import { netOf } from './history.js';
import { CENTS_PER_CHIP } from './money.js';

export const AUTO_ROUNDS = Object.freeze([10, 25, 50, 100]);

/**
 * The player's plan, from what the sheet read: `rounds` one of AUTO_ROUNDS,
 * the limits in whole chips (0 or empty for none), turned into cents. Null
 * when it cannot be played.
 */
export function autoPlan({ rounds, lossLimit = 0, winTarget = 0, bigWin = 0 }) {
  const chips = (v) => (v === '' || v === undefined || v === null ? 0 : Number(v));
  const limits = [lossLimit, winTarget, bigWin].map(chips);
  if (!AUTO_ROUNDS.includes(Number(rounds)) || !limits.every((v) => Number.isSafeInteger(v) && v >= 0)) return null;
  const [loss, win, big] = limits.map((v) => v * CENTS_PER_CHIP);
  return { rounds: Number(rounds), lossLimit: loss, winTarget: win, bigWin: big };
}

/**
 * Why the plan stops after a round, or '' to play on: `net` is what the
 * rounds played so far won or lost (cents), `last` the last round's net.
 */
export function stopAfter(plan, { played, net, last }) {
  if (plan.lossLimit > 0 && -net >= plan.lossLimit) return 'lossLimit';
  if (plan.winTarget > 0 && net >= plan.winTarget) return 'winTarget';
  if (plan.bigWin > 0 && last > plan.bigWin) return 'bigWin';
  if (played >= plan.rounds) return 'done';
  return '';
}

/**
 * Plays `plan` at `game` (the table contract: state, slip, round, bankroll).
 *
 *   deal()       starts a round as the deal key does (its promise may end before the round does)
 *   idle()       resolves once the round shown is over or waits for the player
 *   refusal()    why a round may not be dealt now, '' when it may (the table's readiness, the daily limit)
 *   stopped()    why the player stopped it ('key', 'reality'), '' while not
 *   rest()       the pause between rounds; it should end early once stopped
 *   onRound(n)   round n is about to be dealt
 *
 * Resolves to { why, played, net, last, reason }: `why` is 'done', 'lossLimit',
 * 'winTarget', 'bigWin', 'decision' (the round in play needs the player: it
 * stays marked as auto-played), 'refused' (with the `reason`, '' when the
 * table already said it) or what `stopped()` said.
 */
export async function autoPlay({ plan, game, deal, idle = async () => {}, refusal = () => '', stopped = () => '',
  rest = async () => {}, onRound = () => {} }) {
  const start = game.bankroll;
  let played = 0, last = 0;
  const end = (why, reason = '') => {
    if (why !== 'decision') game.state.auto = false;
    return { why, played, net: game.bankroll - start, last, reason };
  };
  for (;;) {
    const stop = stopped();
    if (stop) return end(stop);
    if (game.slip.total === 0) {
      const repeated = game.slip.repeat();
      if (!repeated.ok) return end('refused', repeated.reason);
    }
    const why = refusal();
    if (why) return end('refused', why);
    const before = game.state.stats.rounds;
    onRound(played + 1);
    game.state.auto = true;
    await deal();
    await idle();
    if (game.round) { played++; return end('decision'); }
    if (game.state.stats.rounds === before) return end('refused');
    played++;
    last = netOf(game.state.history.at(-1));
    const after = stopAfter(plan, { played, net: game.bankroll - start, last });
    if (after) return end(after);
    await rest();
  }
}
