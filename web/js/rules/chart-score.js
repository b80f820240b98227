// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping score of the blackjack player's decisions against the basic-strategy
// chart the table's hint reads: each hit, stand, double or split is judged
// before it is played. Scores are plain counts, { decisions, matched }, that
// fit a table's saved statistics (the overall score, `chartDecisions` and
// `chartMatched`) and its game value (the session's, tagged with the session
// it belongs to).
import { basicStrategy, options } from './blackjack.js';

/** The table's statistics that hold the overall score, with their defaults. */
export const CHART_STATS = Object.freeze({ chartDecisions: 0, chartMatched: 0 });

export const emptyScore = () => ({ decisions: 0, matched: 0 });

/** The chart's move for the active hand of a round in play, null outside the player's turn. */
export function chartMove(round) {
  if (round?.phase !== 'player') return null;
  const hand = round.hands[round.active];
  const allowed = options(round);
  return basicStrategy(hand.cards, round.dealer[0], { canDouble: allowed.double, canSplit: allowed.split, canSurrender: allowed.surrender });
}

/**
 * Judges `move` before it is played: { chart, matched, stats }, where `stats`
 * are the increments of CHART_STATS for TableState.change or settle. Nothing
 * is counted outside the player's turn (chart null).
 */
export function judgeMove(round, move) {
  const chart = chartMove(round);
  const matched = chart !== null && move === chart;
  const stats = chart === null ? {} : { chartDecisions: 1, chartMatched: matched ? 1 : 0 };
  return { chart, matched, stats };
}

const isCount = (v) => Number.isSafeInteger(v) && v >= 0;

/**
 * The session's score as saved in the game value: kept when it belongs to
 * `session` (any string or number the page uses to tell sessions apart) and
 * is sound, a fresh one otherwise.
 */
export function sessionScore(saved, session) {
  if (saved && typeof saved === 'object' && saved.session === session &&
      isCount(saved.decisions) && isCount(saved.matched) && saved.matched <= saved.decisions) {
    return { session, decisions: saved.decisions, matched: saved.matched };
  }
  return { session, ...emptyScore() };
}

/** A score with one judged decision added. */
export function addDecision(score, { chart, matched }) {
  if (chart === null) return score;
  return { ...score, decisions: score.decisions + 1, matched: score.matched + (matched ? 1 : 0) };
}

/** The overall score out of a table's statistics. */
export const overallScore = (stats) => ({
  decisions: isCount(stats?.chartDecisions) ? stats.chartDecisions : 0,
  matched: isCount(stats?.chartMatched) ? Math.min(stats.chartMatched, stats.chartDecisions) : 0,
});

/** Whole percent of decisions that matched the chart; null before the first. */
export function percentMatched({ decisions, matched }) {
  return decisions > 0 ? Math.floor((100 * matched) / decisions) : null;
}
