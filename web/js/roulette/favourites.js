// SPDX-License-Identifier: GPL-3.0-or-later
// Favourite bets at the roulette table: a row under the racetrack that places
// each saved layout with one click, and a sheet to name the layout on the
// table and keep it, or delete one. The list itself lives in the table's
// saved game value (game.js); this only shows it.
import { dialog } from '../kit/panels.js';
import { t } from '../kit/messages.js';
import { NAME_MAX } from '../kit/favourites.js';

const el = (tag, className, text) => {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
};

const chipsOf = (bets) => t('roulette.favouriteChips', { count: Object.values(bets).reduce((sum, chips) => sum + chips, 0) });

/**
 * list() → [{ name, bets }]; describe(bets) → words; save(name) and
 * place(name) → { ok, reason } / true when placed; remove(name).
 */
export function createFavourites(container, frame, { list, describe, save, remove, place }) {
  const bar = el('div', 'rl-favourites');
  bar.setAttribute('role', 'group');
  bar.setAttribute('aria-label', t('roulette.favouritesTitle'));
  const open = el('button', 'btn rl-fav-open', t('roulette.favourites'));
  open.type = 'button';
  open.setAttribute('aria-haspopup', 'dialog');
  const quick = el('div', 'rl-fav-quick');
  bar.append(open, quick);
  container.append(bar);

  const name = el('input');
  Object.assign(name, { type: 'text', id: 'rl-fav-name', maxLength: NAME_MAX, autocomplete: 'off' });
  const label = el('label', '', t('roulette.favouriteName'));
  label.htmlFor = name.id;
  const saveButton = el('button', 'btn primary', t('roulette.favouriteSave'));
  saveButton.type = 'submit';
  const form = el('form', 'rl-fav-form');
  form.append(label, name, saveButton);
  const status = el('p', 'rl-fav-status');
  status.setAttribute('role', 'status');
  const items = el('ul', 'rl-fav-list');
  const empty = el('p', 'empty', t('roulette.favouritesNone'));
  const body = el('div', 'panel-body');
  body.append(el('p', 'note', t('roulette.favouritesNote')), form, status, empty, items);
  const sheet = dialog('favourites-panel', t('roulette.favouritesTitle'), body);

  const placeButton = (favourite, className) => {
    const b = el('button', className);
    b.type = 'button';
    b.dataset.favourite = favourite.name;
    b.setAttribute('aria-label', t('roulette.favouritePlace', { name: favourite.name, bets: describe(favourite.bets), chips: chipsOf(favourite.bets) }));
    b.title = describe(favourite.bets);
    b.addEventListener('click', () => { if (place(favourite.name)) sheet.close(); });
    return b;
  };

  function fill() {
    const favourites = list();
    quick.replaceChildren(...favourites.map((f) => {
      const b = placeButton(f, 'btn rl-fav');
      b.textContent = f.name;
      return b;
    }));
    empty.hidden = favourites.length > 0;
    items.replaceChildren(...favourites.map((f) => {
      const b = placeButton(f, 'btn rl-fav-place');
      b.append(el('span', 'name', f.name), el('span', 'what', describe(f.bets)),
        el('span', 'chips num', chipsOf(f.bets)));
      const drop = el('button', 'btn rl-fav-remove', t('roulette.favouriteRemove'));
      drop.type = 'button';
      drop.setAttribute('aria-label', t('roulette.favouriteRemoveName', { name: f.name }));
      drop.addEventListener('click', () => {
        remove(f.name);
        status.textContent = t('roulette.favouriteRemoved', { name: f.name });
        fill();
      });
      const li = el('li');
      li.append(b, drop);
      return li;
    }));
  }

  form.addEventListener('submit', (e) => {
    e.preventDefault();
    const verdict = save(name.value);
    status.classList.toggle('warn', !verdict.ok);
    status.textContent = verdict.ok ? t('roulette.favouriteSaved', { name: verdict.name }) : verdict.reason;
    if (verdict.ok) name.value = '';
    fill();
  });
  open.addEventListener('click', () => {
    status.textContent = '';
    fill();
    sheet.showModal();
    name.focus();
  });
  fill();
  return { refresh: fill, sheet };
}
