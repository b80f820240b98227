// SPDX-License-Identifier: GPL-3.0-or-later
// What the card tables keep in the DOM beside their 3D stage: playing cards
// as elements a screen reader can name, and a pause that honours the
// player's wish for less motion.
import { cardLabel, cardName, isRed } from './cards.js';
import { t } from './messages.js';

export const reducedMotion = () =>
  globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;

/** Waits `ms`, or almost nothing when the player asked for less motion. */
export const pause = (ms) => new Promise((done) => setTimeout(done, reducedMotion() ? 30 : ms));

/** A card element; face down when `card` is null. `fresh` plays the deal motion. */
export function cardElement(card, { fresh = false } = {}) {
  const el = document.createElement('div');
  el.className = 'pcard' + (fresh ? ' dealt' : '');
  el.setAttribute('role', 'img');
  if (!card) {
    el.classList.add('back');
    el.setAttribute('aria-label', t('card.faceDown'));
    return el;
  }
  if (isRed(card)) el.classList.add('red');
  const label = cardLabel(card);
  el.setAttribute('aria-label', cardName(card));
  el.innerHTML = `<span class="corner">${label}</span><span class="pip">${label.slice(-1)}</span>` +
    `<span class="corner low">${label}</span>`;
  return el;
}

/**
 * Puts `cards` into `row`, re-using the elements already there so that only
 * new or newly turned cards animate.
 */
export function showCards(row, cards) {
  const old = [...row.children];
  cards.forEach((card, i) => {
    const key = card ?? 'back';
    if (old[i] && old[i].dataset.card === key) return;
    const el = cardElement(card, { fresh: !old[i] || old[i].dataset.card === 'back' });
    el.dataset.card = key;
    if (old[i]) old[i].replaceWith(el); else row.append(el);
  });
  for (let i = cards.length; i < old.length; i++) old[i].remove();
}
