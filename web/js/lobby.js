// SPDX-License-Identifier: GPL-3.0-or-later
// Fills the lobby's table cards: a picture of each table and the chips held
// there. The links themselves are plain HTML, so they work even if this fails.
import { lobbyRows } from './kit/tables.js';
import { formatChips, STARTING_BANKROLL, CENTS_PER_CHIP } from './kit/money.js';
import { t, fillPage } from './kit/messages.js';
import { PICTURES } from './lobby-art.js';
import { loadFonts } from './kit/fonts.js';

function storage() {
  try { return window.localStorage; } catch { return null; }
}

function render() {
  const rows = lobbyRows(storage());
  let total = 0;
  for (const row of rows) {
    const card = document.querySelector(`.table-card[data-table="${row.id}"]`);
    if (!card) continue;
    const picture = card.querySelector('.picture');
    if (picture && !picture.firstChild) picture.innerHTML = PICTURES[row.id]();
    card.querySelector('.chips .value').textContent = formatChips(row.bankroll);
    card.setAttribute('aria-label', t('lobby.card', { name: row.name, amount: row.bankroll, count: row.bankroll / CENTS_PER_CHIP }));
    total += row.bankroll;
  }
  const fresh = total === STARTING_BANKROLL * rows.length;
  // The amount stands out in bold inside the sentence, wherever the language puts it.
  const [before, after = ''] = t(fresh ? 'lobby.fresh' : 'lobby.total').split(/\{amount\}/);
  const amount = document.createElement('strong');
  amount.className = 'num';
  amount.textContent = formatChips(fresh ? STARTING_BANKROLL : total);
  document.getElementById('total').replaceChildren(before, amount, after);
}

fillPage(document);
render();
loadFonts();
// Coming back to the lobby from history shows the page from the cache; read again.
window.addEventListener('pageshow', (e) => { if (e.persisted) render(); });
