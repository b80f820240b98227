// SPDX-License-Identifier: GPL-3.0-or-later
// What the card tables keep in the DOM beside their 3D stage: the cards, out
// of sight, as elements a screen reader can name, and a pause that honours
// the player's wish for less motion.
import { cardName } from './cards.js';
import { t } from './messages.js';
import { paced } from './pace.js';

export const reducedMotion = () =>
  globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;

/** Waits `ms`, or almost nothing when the player asked for less motion. */
export const pause = (ms) => new Promise((done) => setTimeout(done, reducedMotion() ? Math.min(30, paced(ms)) : paced(ms)));

/** A card a screen reader names; face down when `card` is null. */
export function cardElement(card) {
  const el = document.createElement('div');
  el.setAttribute('role', 'img');
  el.setAttribute('aria-label', card ? cardName(card) : t('card.faceDown'));
  return el;
}

/**
 * Puts `cards` into `row`, re-using the elements already there, so a screen
 * reader browsing the row is not moved by cards that stayed.
 */
export function showCards(row, cards) {
  const old = [...row.children];
  cards.forEach((card, i) => {
    const key = card ?? 'back';
    if (old[i] && old[i].dataset.card === key) return;
    const el = cardElement(card);
    el.dataset.card = key;
    if (old[i]) old[i].replaceWith(el); else row.append(el);
  });
  for (let i = cards.length; i < old.length; i++) old[i].remove();
}

/** An element of `className` holding `text`, for the pieces a table builds beside its stage. */
export function element(tag, className = '', text = undefined) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

/** Fills the description list `list` with [message key, count] rows: a table's statistics. */
export function showCounts(list, rows) {
  list.replaceChildren(...rows.flatMap(([key, count]) => [element('dt', '', t(key)), element('dd', 'num', String(count))]));
}
