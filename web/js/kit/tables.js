// SPDX-License-Identifier: GPL-3.0-or-later
// The four tables as the shell's catalog lists them, in its order, with what
// the lobby calls a round in play there (a spin, a hand), and the lobby's
// read-only view of each table's chips.
import { sanitizeState, parseSaved } from './state.js';
import { STARTING_BANKROLL } from './money.js';

export const LOBBY_FILE = 'velmar-casino.html';

export const TABLES = Object.freeze([
  { id: 'roulette', name: 'Roulette Royale', file: 'roulette-3d.html', storeKey: 'roulette-royale.v1', key: '1', round: 'spin' },
  { id: 'blackjack', name: 'Blackjack Royale', file: 'blackjack-3d.html', storeKey: 'blackjack-royale.v1', key: '2', round: 'hand' },
  { id: 'baccarat', name: 'Baccarat Royale', file: 'baccarat-3d.html', storeKey: 'baccarat-royale.v1', key: '3', round: 'hand' },
  { id: 'poker', name: 'Poker Royale', file: 'poker-3d.html', storeKey: 'poker-royale.v1', key: '4', round: 'hand' },
].map((t) => Object.freeze(t)));

export const tableById = (id) => TABLES.find((t) => t.id === id) ?? null;

/**
 * The chips (in cents) a table holds, as the table itself would read them: the
 * starting bankroll for a table never played or an entry that cannot be read.
 * The lobby only looks: it never writes or sets anything aside, so a table
 * finds its own entry untouched when it is opened.
 */
export function readBankroll(storage, storeKey) {
  let text = null;
  try { text = storage ? storage.getItem(storeKey) : null; } catch { return STARTING_BANKROLL; }
  if (text === null || text === undefined) return STARTING_BANKROLL;
  const { raw } = parseSaved(text);
  return raw === undefined ? STARTING_BANKROLL : sanitizeState(raw).state.bankroll;
}

/** Every table with its chips, in catalog order, for the lobby to draw. */
export function lobbyRows(storage) {
  return TABLES.map((t) => ({ ...t, bankroll: readBankroll(storage, t.storeKey), played: hasEntry(storage, t.storeKey) }));
}

function hasEntry(storage, key) {
  try { return !!storage && storage.getItem(key) !== null; } catch { return false; }
}
