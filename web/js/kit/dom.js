// SPDX-License-Identifier: GPL-3.0-or-later
// What the pages with a frame of their own (blackjack, poker) share: playing
// cards as DOM elements (so screen readers can name them), keyboard wiring
// and a quiet stand-in for sound.
import { cardLabel, cardName, isRed } from './cards.js';
import { t } from './messages.js';
import { paced } from './pace.js';

export const reducedMotion = () =>
  globalThis.matchMedia?.('(prefers-reduced-motion: reduce)').matches ?? false;

/** Waits `ms`, or almost nothing when the player asked for less motion. */
export const pause = (ms) => new Promise((done) => setTimeout(done, reducedMotion() ? 30 : paced(ms)));

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

/**
 * Sound through the kit when its module is there; otherwise silence that still
 * remembers the mute setting.
 */
export async function loadSound(table) {
  try {
    const kit = await import('./sound.js');
    return kit.createSound(table);
  } catch {
    const quiet = () => {};
    return {
      chip: quiet, card: quiet, flip: quiet, win: quiet, lose: quiet,
      get muted() { return table.settings.muted; },
      toggleMute() { table.setSetting('muted', !table.settings.muted); return table.settings.muted; },
    };
  }
}

/**
 * One key handler for the page: `keys` maps a key (as KeyboardEvent.key,
 * lower case for letters) to a button, which is clicked (and says itself why
 * when it cannot act). A key whose button is not offered now is answered
 * through `say`. Keys typed with Ctrl or Alt belong to the shell.
 */
export function bindKeys(keys, say = () => {}) {
  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey || e.repeat) return;
    const button = keys[e.key.length === 1 ? e.key.toLowerCase() : e.key];
    if (!button) return;
    e.preventDefault();
    if (button.hidden || button.closest('[hidden]')) {
      const label = (button.firstChild?.textContent ?? '').trim();
      say(t('refuse.notOffered', { action: label }));
      return;
    }
    button.click();
  });
}
