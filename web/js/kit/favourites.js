// SPDX-License-Identifier: GPL-3.0-or-later
// Favourite bets: a table's layout saved under a name and placed again with
// one click. The list is small and checked whole, so that it fits the table's
// saved game value and nothing a hand-edited save holds can reach the slip.
// Pure: bets are a slip's { spot: chips }, and the table says which spots it has.
import { isPlainObject } from './check.js';

export const FAVOURITES_MAX = 12;
export const NAME_MAX = 24;
// How far into a saved list reading looks for sound favourites.
export const FAVOURITES_SCAN = 100;

/** A name as it is kept: spaces trimmed and runs of them made one; '' when unusable. */
export function favouriteName(name) {
  if (typeof name !== 'string') return '';
  const clean = name.replace(/\s+/g, ' ').trim();
  return clean.length <= NAME_MAX && !/[\u0000-\u001f\u007f]/.test(clean) ? clean : '';
}

const sameName = (a, b) => a.localeCompare(b, undefined, { sensitivity: 'accent' }) === 0;

function validBets(bets, isSpot) {
  if (!isPlainObject(bets)) return null;
  const entries = Object.entries(bets);
  if (!entries.length) return null;
  for (const [spot, chips] of entries) if (!isSpot(spot) || !Number.isSafeInteger(chips) || chips <= 0) return null;
  return Object.fromEntries(entries);
}

/**
 * The favourites of a saved game value that are sound: a usable name, not
 * one already taken, and bets on spots `isSpot` knows; at most FAVOURITES_MAX.
 */
export function readFavourites(saved, isSpot) {
  if (!Array.isArray(saved)) return [];
  const out = [];
  for (const f of saved.slice(0, FAVOURITES_SCAN)) {
    if (out.length === FAVOURITES_MAX) break;
    const name = isPlainObject(f) ? favouriteName(f.name) : '';
    const bets = name && validBets(f.bets, isSpot);
    if (bets && name === f.name && !out.some((o) => sameName(o.name, name))) out.push({ name, bets });
  }
  return out;
}

/**
 * Saves `bets` under `name`: { ok, list, reason }, `reason` ('name', 'empty',
 * 'full') saying why it was refused. A name already in the list is replaced
 * in its place; a new one goes last.
 */
export function saveFavourite(list, name, bets, isSpot) {
  const clean = favouriteName(name);
  if (!clean) return { ok: false, list, reason: 'name' };
  const checked = validBets(bets, isSpot);
  if (!checked) return { ok: false, list, reason: 'empty' };
  const at = list.findIndex((f) => sameName(f.name, clean));
  if (at < 0 && list.length >= FAVOURITES_MAX) return { ok: false, list, reason: 'full' };
  const entry = { name: clean, bets: checked };
  const next = at < 0 ? [...list, entry] : list.map((f, i) => (i === at ? entry : f));
  return { ok: true, list: next, reason: '' };
}

export function removeFavourite(list, name) {
  return list.filter((f) => !sameName(f.name, favouriteName(name)));
}

export const findFavourite = (list, name) => list.find((f) => sameName(f.name, favouriteName(name))) ?? null;
