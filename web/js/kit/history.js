// SPDX-License-Identifier: GPL-3.0-or-later
// The record each table keeps of a settled round, and what the lobby reads
// out of the tables' saved states: each table's chips over its last rounds,
// the evening's result so far, whether a hand is in play, and across the
// casino the house's expected take against what the player won or lost.
// Pure: the pages hand in their settled rounds; storage is only read here.
// The kit knows no game: each table builds its own records (its record.js)
// and the house's take of a round is handed in by whoever knows the edges.
import { sanitizeState, parseSaved } from './state.js';
import { STARTING_BANKROLL, CENTS_PER_CHIP } from './money.js';
import { TABLES } from './tables.js';

export const SERIES_POINTS = 30;
export const EVENING_KEY = 'velmar-casino.evening';

const sum = (list, key) => list.reduce((s, x) => s + x[key], 0);

/**
 * One settled round as the table's history keeps it: { table, at, shown,
 * bets: [{ kind, staked, returned, spot? }], staked, returned, net, bankroll }.
 * `shown` is what the round showed (the number, the cards), `bankroll` the
 * chips after it; amounts in cents, `kind` one of the table's bets in
 * rules/edges.js, so that expectedTake() reads records as they are.
 */
export function roundRecord({ table, shown, bets, bankroll, at = Date.now() }) {
  const staked = sum(bets, 'staked'), returned = sum(bets, 'returned');
  const clean = bets.map(({ kind, spot, staked: s, returned: r }) => (spot === undefined
    ? { kind, staked: s, returned: r } : { kind, spot, staked: s, returned: r }));
  return { table, at, shown, bets: clean, staked, returned, net: returned - staked, bankroll };
}

/** A history entry's net in cents, older entries (staked and returned only) included. */
export function netOf(entry) {
  if (Number.isSafeInteger(entry?.net)) return entry.net;
  if (Number.isSafeInteger(entry?.returned) && Number.isSafeInteger(entry?.staked)) return entry.returned - entry.staked;
  return 0;
}

/**
 * The stakes of a history entry, [{ spot, staked, chips }] (cents and chips):
 * a round record's bets (`spot`, or the bet's kind where that names the
 * spot), or an older entry's slip of { spot: chips }.
 */
export function stakesOf(entry) {
  const bets = entry?.bets;
  const stake = (spot, staked) => ({ spot, staked, chips: staked / CENTS_PER_CHIP });
  if (Array.isArray(bets)) return bets.filter((b) => b && Number.isSafeInteger(b.staked)).map((b) => stake(b.spot ?? b.kind, b.staked));
  if (!bets || typeof bets !== 'object') return [];
  return Object.entries(bets).filter(([, chips]) => Number.isSafeInteger(chips)).map(([spot, chips]) => stake(spot, chips * CENTS_PER_CHIP));
}

/**
 * The chips (cents) after each of the last `points` rounds, oldest first,
 * ending with `bankroll`: read from the records' own `bankroll` where they
 * carry it, otherwise counted back from the chips now by each round's net.
 */
export function chipSeries(history, bankroll, points = SERIES_POINTS) {
  const recent = history.slice(-points);
  const series = new Array(recent.length);
  let after = bankroll;
  for (let i = recent.length - 1; i >= 0; i--) {
    series[i] = i === recent.length - 1 || !Number.isSafeInteger(recent[i].bankroll) ? after : recent[i].bankroll;
    after = series[i] - netOf(recent[i]);
  }
  return series;
}

/**
 * When the evening began: when the application started, which its host puts
 * into every page's session storage (each page has a web view of its own, so
 * that storage alone would last only a page). Without the host, the first time
 * this is asked in the session.
 */
export function eveningStart(session = globalThis.sessionStorage, now = Date.now()) {
  try {
    const saved = Number(session?.getItem(EVENING_KEY));
    if (Number.isSafeInteger(saved) && saved > 0 && saved <= now) return saved;
    session?.setItem(EVENING_KEY, String(now));
  } catch { /* no session storage: the evening starts with the page */ }
  return now;
}

/**
 * The evening's tally, for the table's `game.evening`, with a record added
 * whose expected take is `take` cents: { since, rounds, net, take }. A tally
 * from an earlier evening starts over.
 */
export function addToEvening(evening, since, record, take = 0) {
  const base = evening && evening.since === since && Number.isSafeInteger(evening.rounds) && Number.isSafeInteger(evening.net) &&
    Number.isFinite(evening.take) ? evening : { since, rounds: 0, net: 0, take: 0 };
  return { since, rounds: base.rounds + 1, net: base.net + record.net, take: base.take + take };
}

/** Where a table's statistics count the cents staked on each kind of bet. */
export const STAKED = 'staked.';

/**
 * A round's stakes as increments of a table's statistics ({ 'staked.banker':
 * 1000, … }): the history keeps 50 rounds, these totals keep every round,
 * and give the same take.
 */
export function stakeCounters(bets) {
  const out = {};
  for (const { kind, staked } of bets) if (staked > 0) out[STAKED + kind] = (out[STAKED + kind] ?? 0) + staked;
  return out;
}

/**
 * The cents at stake in the round a table's saved game holds in play, which
 * every table keeps as `round.staked`; 0 when none is.
 */
export function stakeInPlay(game) {
  const staked = game?.round?.staked;
  return Number.isSafeInteger(staked) && staked > 0 ? staked : 0;
}

/**
 * What the lobby shows of one table, from its saved state (as sanitizeState
 * gives it): { id, bankroll, series, inPlay, staked, rounds, net, take,
 * evening: { rounds, net, take }, recorded }. `net` is everything won or lost since the
 * table's last fresh start, the stake of a hand in play counted as still the
 * player's; `take` the house's expected take over the same rounds, as
 * `takeOf(table, stats)` reads it from the table's statistics.
 */
export function tableSummary(table, state, since, takeOf = () => 0) {
  const staked = stakeInPlay(state.game);
  const ev = state.game.evening;
  const evening = ev && ev.since === since ? { rounds: ev.rounds, net: ev.net, take: ev.take } : { rounds: 0, net: 0, take: 0 };
  let take = 0;
  try { take = takeOf(table, state.stats); } catch { /* a statistic for a bet no longer offered */ }
  return {
    id: table, bankroll: state.bankroll, series: chipSeries(state.history, state.bankroll),
    inPlay: staked > 0, staked, rounds: state.stats.rounds, net: state.bankroll + staked - STARTING_BANKROLL, take, evening,
    // Whether the table counts its stakes: a table that does not yet leaves
    // its rounds out of the evening and the take.
    recorded: Object.keys(state.stats).some((k) => k.startsWith(STAKED)),
  };
}

/**
 * Every table's summary in catalog order and the casino's: { tables, casino:
 * { bankroll, rounds, net, take, evening: { rounds, net, take } } }. Storage
 * is only read: a table finds its entry untouched when it is opened.
 */
export function lobbySummary(storage, since, takeOf) {
  const tables = TABLES.map(({ id, storeKey }) => {
    let raw;
    try { raw = parseSaved(storage?.getItem(storeKey) ?? 'null').raw ?? undefined; } catch { raw = undefined; }
    return tableSummary(id, sanitizeState(raw).state, since, takeOf);
  });
  const total = (pick) => tables.reduce((s, t) => s + pick(t), 0);
  return {
    tables,
    casino: {
      bankroll: total((t) => t.bankroll), rounds: total((t) => t.rounds), net: total((t) => t.net), take: total((t) => t.take),
      evening: { rounds: total((t) => t.evening.rounds), net: total((t) => t.evening.net), take: total((t) => t.evening.take) },
    },
  };
}
